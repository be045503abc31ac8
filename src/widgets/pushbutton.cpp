// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/pushbutton.h"

#include <QKeyEvent>
#include <QPainter>

PushButton::PushButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setAutoDefault(false);
}

void PushButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier)) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // One press a key stroke: holding the key down does not repeat it.
    if (!event->isAutoRepeat())
        click();
}

void PushButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    drawFocusFrame(painter);
}

void PushButton::drawFocusFrame(QPainter &painter) const
{
    if (!hasFocus())
        return;
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
}
