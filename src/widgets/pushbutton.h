// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

// A push button that Enter and Return press while it has the focus, as
// Space does, without being a default button: Enter typed into a text box
// beside it presses nothing.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(const QString &text, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
