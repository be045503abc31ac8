// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

class QPainter;

// A push button that Enter and Return press while it has the focus, as
// Space does, without being a default button: Enter typed into a text box
// beside it presses nothing. The focus is framed in the caption's colour,
// which stands out on the button in any palette, dark ones too.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(const QString &text, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void drawFocusFrame(QPainter &painter) const;
};
