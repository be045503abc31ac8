// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

// A single-line text box as screen readers should meet it: its cursor,
// selection and characters where they are on the screen.
class TextBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);

    // Where the character at offset is drawn, in screen coordinates; empty
    // for an offset outside the text.
    QRect characterRect(int offset) const;
};
