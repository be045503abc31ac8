#include "runtime/runtime.h"

#include "runtime/filetable.h"
#include "runtime/form.h"
#include "runtime/messages.h"
#include "runtime/runtimeerror.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct State
{
    Runtime::MessageBoxHook messageBoxHook;
    Runtime::EndHook endHook;
    bool ended = false;
    int status = 0;
};

State &state()
{
    static State s;
    return s;
}

}

const QString &Runtime::title()
{
    static const QString text = QStringLiteral("Hızlı");
    return text;
}

void Runtime::run(const std::function<void()> &handler)
{
    if (hasEnded())
        return;
    try {
        handler();
    } catch (const RuntimeError &error) {
        report(error);
        end(1);
        return;
    }
    endIfNoWindowVisible();
}

QString Runtime::displayText(const QString &prompt)
{
    QString text = prompt;
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

void Runtime::messageBox(const QString &prompt, const QString &title)
{
    if (state().messageBoxHook) {
        state().messageBoxHook(prompt, title);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, displayText(prompt), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // The button speaks the program's language, as the platform's own box
    // does on a Turkish desktop.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Tamam"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void Runtime::report(const RuntimeError &error)
{
    messageBox(Messages::text(error), title());
}

void Runtime::end(int status)
{
    State &s = state();
    if (s.ended)
        return;
    s.ended = true;
    s.status = status;
    Form::hideAll();
    FileTable::closeAll();
    if (s.endHook)
        s.endHook(status);
    else
        QCoreApplication::exit(status);
}

void Runtime::endIfNoWindowVisible()
{
    if (!hasEnded() && !Form::anyVisible())
        end(0);
}

bool Runtime::hasEnded()
{
    return state().ended;
}

int Runtime::exitStatus()
{
    return state().status;
}

void Runtime::setMessageBoxHook(MessageBoxHook hook)
{
    state().messageBoxHook = std::move(hook);
}

void Runtime::setEndHook(EndHook hook)
{
    state().endHook = std::move(hook);
}

void Runtime::reset()
{
    Form::unloadAll();
    FileTable::closeAll();
    state().ended = false;
    state().status = 0;
}
