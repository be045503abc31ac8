// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class DriveListBox;

// The drive list as a combo box that screen readers call by its accessible
// name, with the selected drive as its value: Qt's own combo box takes the
// selected text for its name on this platform.
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
