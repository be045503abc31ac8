// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/runtime.h"
#include "shell/windowevents.h"

#include "errors/runtimeerror.h"
#include "files/filetable.h"
#include "shell/form.h"
#include "shell/messages.h"

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
    // A window closed from its title bar may have been the last one shown.
    static const QMetaObject::Connection watch =
            QObject::connect(&WindowEvents::instance(), &WindowEvents::closed, [] { Runtime::endIfNoWindowVisible(); });
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
    // A box must fit on the screen with its button: a line that would wrap
    // onto many (a huge command line) shows its beginning and its end.
    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.size() > maxLineLength)
            line = line.left(maxLineLength * 2 / 3) + QStringLiteral(" … ") + line.right(maxLineLength / 4);
    }
    return lines.join(u'\n');
}

void Runtime::messageBox(const QString &prompt, const QString &title)
{
    // The button speaks the program's language, whatever language Qt's own
    // buttons would use on this desktop.
    ask(prompt, title, { QStringLiteral("Tamam") });
}

int Runtime::ask(const QString &prompt, const QString &title, const QStringList &buttons, int defaultButton)
{
    if (state().messageBoxHook)
        return state().messageBoxHook(prompt, title, buttons, defaultButton, int(buttons.size()) - 1);
    // Owned by the window the user is in, so that the window manager keeps
    // it above that window and gives that window the focus back.
    Form *from = Form::active();
    QMessageBox box(QMessageBox::NoIcon, title, displayText(prompt), QMessageBox::NoButton, from);
    box.setTextFormat(Qt::PlainText);
    QList<QPushButton *> pushButtons;
    for (const QString &caption : buttons)
        pushButtons << box.addButton(caption, QMessageBox::AcceptRole);
    box.setDefaultButton(pushButtons.value(defaultButton, pushButtons.first()));
    box.setEscapeButton(pushButtons.last());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    if (from && from->isVisible())
        from->bringBack();
    return qMax(0, int(pushButtons.indexOf(static_cast<QPushButton *>(box.clickedButton()))));
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
