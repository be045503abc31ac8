// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class WrapMenuBar;

// Shows assistive technologies the bar as a platform menu bar does: a menu
// bar whose children are its items, the highlighted one holding the focus
// while the bar is entered from the keyboard.
class WrapMenuBarAccessible : public QAccessibleWidget
{
public:
    explicit WrapMenuBarAccessible(QWidget *widget);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    WrapMenuBar *bar() const;
};
