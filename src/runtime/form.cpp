// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/form.h"

#include "runtime/runtime.h"

#include <QCloseEvent>
#include <QList>

namespace {
QList<Form *> &liveForms()
{
    static QList<Form *> forms;
    return forms;
}
}

Form::Form()
{
    liveForms().append(this);
}

Form::~Form()
{
    forget();
}

void Form::forget()
{
    liveForms().removeOne(this);
    if (m_slot && *m_slot == this)
        *m_slot = nullptr;
    m_slot = nullptr;
}

void Form::load()
{
    if (m_loaded)
        return;
    // Set first: Form_Load may touch the window's own controls.
    m_loaded = true;
    Form_Load();
}

void Form::setVisible(bool visible)
{
    if (!visible) {
        QMainWindow::setVisible(false);
        return;
    }
    load();
    QMainWindow::setVisible(true);
    raise();
    activateWindow();
}

void Form::closeEvent(QCloseEvent *event)
{
    event->accept();
    forget();
    deleteLater();
    Runtime::endIfNoWindowVisible();
}

void Form::hideAll()
{
    for (Form *form : liveForms())
        form->hide();
}

bool Form::anyVisible()
{
    for (const Form *form : liveForms()) {
        if (form->isVisible())
            return true;
    }
    return false;
}

void Form::unloadAll()
{
    while (!liveForms().isEmpty())
        delete liveForms().first();
}
