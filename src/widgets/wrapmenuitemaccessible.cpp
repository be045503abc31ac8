// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/wrapmenuitemaccessible.h"

#include "widgets/wrapmenubar.h"

#include <QAction>
#include <QCursor>
#include <QWidget>

WrapMenuItemAccessible::WrapMenuItemAccessible(WrapMenuBar *bar, QAction *action)
    : m_bar(bar)
    , m_action(action)
{
}

bool WrapMenuItemAccessible::isValid() const
{
    return m_bar && m_action;
}

QObject *WrapMenuItemAccessible::object() const
{
    return m_action;
}

QWindow *WrapMenuItemAccessible::window() const
{
    return m_bar ? m_bar->window()->windowHandle() : nullptr;
}

QAccessibleInterface *WrapMenuItemAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(m_bar.data());
}

QAccessibleInterface *WrapMenuItemAccessible::child(int) const
{
    return nullptr;
}

int WrapMenuItemAccessible::childCount() const
{
    return 0;
}

int WrapMenuItemAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QAccessibleInterface *WrapMenuItemAccessible::childAt(int, int) const
{
    return nullptr;
}

int WrapMenuItemAccessible::index() const
{
    return isValid() ? int(m_bar->items().indexOf(m_action.data())) : -1;
}

QString WrapMenuItemAccessible::text(QAccessible::Text t) const
{
    if (!m_action)
        return {};
    return t == QAccessible::Name ? m_action->text() : QString();
}

void WrapMenuItemAccessible::setText(QAccessible::Text, const QString &) { }

QRect WrapMenuItemAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect local = m_bar->itemRect(index());
    return QRect(m_bar->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role WrapMenuItemAccessible::role() const
{
    return QAccessible::MenuItem;
}

QAccessible::State WrapMenuItemAccessible::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.disabled = !m_action->isEnabled() || !m_bar->isEnabled();
    s.invisible = !m_action->isVisible() || !m_bar->isVisible();
    s.focusable = true;
    s.focused = s.selected = m_bar->highlighted() == index();
    s.hotTracked = m_bar->underMouse() && m_bar->itemAt(m_bar->mapFromGlobal(QCursor::pos())) == index();
    return s;
}

void *WrapMenuItemAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList WrapMenuItemAccessible::actionNames() const
{
    return { pressAction() };
}

void WrapMenuItemAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction() && isValid())
        m_bar->activate(index());
}

QStringList WrapMenuItemAccessible::keyBindingsForAction(const QString &) const
{
    return {};
}
