// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/pushbutton.h"

// A push button whose caption wraps onto several lines when it is wider than
// the button, so the long Turkish captions of a narrow button show whole. The
// caption itself (text(), and so the accessible name) stays as it was given.
class WrapPushButton : public PushButton
{
    Q_OBJECT

public:
    explicit WrapPushButton(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
