// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/wrappushbutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

WrapPushButton::WrapPushButton(const QString &text, QWidget *parent)
    : PushButton(text, parent)
{
}

void WrapPushButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect textRect = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    const QRect needed = option.fontMetrics.boundingRect(textRect, flags, caption);
    // Where even wrapped lines would not fit, use the whole face of the button.
    const QRect area = needed.height() > textRect.height() || needed.width() > textRect.width() ? rect() : textRect;
    style()->drawItemText(&painter, area, flags, option.palette, isEnabled(), caption, QPalette::ButtonText);
    drawFocusFrame(painter);
}
