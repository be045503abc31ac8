// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/wrapmenubaraccessible.h"

#include "widgets/wrapmenubar.h"

#include <QAction>

WrapMenuBarAccessible::WrapMenuBarAccessible(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::MenuBar)
{
}

WrapMenuBar *WrapMenuBarAccessible::bar() const
{
    return static_cast<WrapMenuBar *>(widget());
}

int WrapMenuBarAccessible::childCount() const
{
    return int(bar()->items().size());
}

QAccessibleInterface *WrapMenuBarAccessible::child(int index) const
{
    const QList<QAction *> items = bar()->items();
    if (index < 0 || index >= items.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(items.at(index));
}

int WrapMenuBarAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    return int(bar()->items().indexOf(qobject_cast<QAction *>(child->object())));
}

QAccessibleInterface *WrapMenuBarAccessible::childAt(int x, int y) const
{
    return child(bar()->itemAt(bar()->mapFromGlobal(QPoint(x, y))));
}

QAccessibleInterface *WrapMenuBarAccessible::focusChild() const
{
    return child(bar()->highlighted());
}
