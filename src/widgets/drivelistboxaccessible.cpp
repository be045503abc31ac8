// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/drivelistboxaccessible.h"

#include "widgets/drivelistbox.h"

#include <QAbstractItemView>

DriveListBoxAccessible::DriveListBoxAccessible(DriveListBox *box)
    : QAccessibleWidget(box, QAccessible::ComboBox)
{
}

DriveListBox *DriveListBoxAccessible::box() const
{
    return static_cast<DriveListBox *>(widget());
}

QString DriveListBoxAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return box()->drive();
    // Screen readers speak a combo box by its name: the drive goes with it.
    if (t == QAccessible::Name)
        return QStringLiteral("%1: %2").arg(QAccessibleWidget::text(t), box()->drive());
    return QAccessibleWidget::text(t);
}

QAccessible::State DriveListBoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = box()->view()->isVisible();
    return s;
}

// Its one child is the list of drives that drops down.
int DriveListBoxAccessible::childCount() const
{
    return 1;
}

QAccessibleInterface *DriveListBoxAccessible::child(int index) const
{
    return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
}

int DriveListBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && child->object() == box()->view() ? 0 : -1;
}

QStringList DriveListBoxAccessible::actionNames() const
{
    return QStringList { showMenuAction(), pressAction() } + QAccessibleWidget::actionNames();
}

void DriveListBoxAccessible::doAction(const QString &actionName)
{
    if (actionName != showMenuAction() && actionName != pressAction())
        QAccessibleWidget::doAction(actionName);
    else if (box()->view()->isVisible())
        box()->hidePopup();
    else
        box()->showPopup();
}
