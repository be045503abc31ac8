// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

// A single-line text box that a label names for screen readers without
// being its buddy, so one column head can label a whole column of boxes.
class TextBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }
    void setLabel(QLabel *label) { m_label = label; }

    // Where the character at offset is drawn, in screen coordinates; empty
    // for an offset outside the text.
    QRect characterRect(int offset) const;

private:
    QPointer<QLabel> m_label;
};
