// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/textbox.h"

#include <QFontMetrics>

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    // Rows are told apart by how their texts begin: a text the program puts
    // in (a list read, a choice in the picker) shows from its start, while
    // the user's own typing keeps the cursor where it types.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!isModified())
            setCursorPosition(0);
    });
}

// The cursor's place is known; any other character stands the width of the
// text between them away from it, which also holds while the text is
// scrolled.
QRect TextBox::characterRect(int offset) const
{
    const QString shown = displayText();
    if (offset < 0 || offset >= shown.size())
        return {};
    const QFontMetrics metrics(font());
    const QRect cursor = cursorRect();
    const int x = cursor.center().x() + metrics.horizontalAdvance(shown.left(offset))
            - metrics.horizontalAdvance(shown.left(cursorPosition()));
    const QRect local(x, cursor.top(), metrics.horizontalAdvance(shown.mid(offset, 1)), cursor.height());
    return QRect(mapToGlobal(local.topLeft()), local.size());
}
