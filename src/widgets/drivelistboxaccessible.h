// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class DriveListBox;

// The drive list as a combo box named by its accessible name and the drive
// it shows, which is also its value: screen readers speak a combo box by
// its name, and Qt's own names it by the selected text alone.
class DriveListBoxAccessible : public QAccessibleWidget
{
public:
    explicit DriveListBoxAccessible(DriveListBox *box);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    DriveListBox *box() const;
};
