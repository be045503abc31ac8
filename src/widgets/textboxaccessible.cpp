// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/textboxaccessible.h"

#include "widgets/textbox.h"

TextBoxAccessible::TextBoxAccessible(TextBox *box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
}

TextBox *TextBoxAccessible::box() const
{
    return static_cast<TextBox *>(widget());
}

QString TextBoxAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return box()->displayText();
    return QAccessibleWidget::text(t);
}

void TextBoxAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value && !box()->isReadOnly())
        box()->setText(text);
    else
        QAccessibleWidget::setText(t, text);
}

QAccessible::State TextBoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = box()->isReadOnly();
    s.editable = !s.readOnly;
    s.selectableText = true;
    return s;
}

void *TextBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void TextBoxAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && box()->hasSelectedText()) {
        *startOffset = box()->selectionStart();
        *endOffset = box()->selectionEnd();
    }
}

int TextBoxAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void TextBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextBoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void TextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->setSelection(startOffset, endOffset - startOffset);
}

int TextBoxAccessible::cursorPosition() const
{
    return box()->cursorPosition();
}

void TextBoxAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(position);
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    return box()->displayText().mid(startOffset, endOffset - startOffset);
}

int TextBoxAccessible::characterCount() const
{
    return int(box()->displayText().size());
}

QRect TextBoxAccessible::characterRect(int offset) const
{
    return box()->characterRect(offset);
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
}

// Moving the cursor to the end and back to the start scrolls both into view
// as far as the box is wide.
void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
}

// The box has one font and colour throughout: no attributes anywhere.
QString TextBoxAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}

void TextBoxAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void TextBoxAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

// Through the box's own editing, so that undo takes the change back.
void TextBoxAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    if (box()->isReadOnly())
        return;
    box()->setCursorPosition(startOffset);
    if (endOffset > startOffset)
        box()->setSelection(startOffset, endOffset - startOffset);
    box()->insert(text);
}
