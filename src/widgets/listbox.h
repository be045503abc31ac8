// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

// A list of one column whose current item a screen reader hears when, and
// only when, the list has the keyboard focus: Qt's list announces a new
// current item as focused even while another control has the focus (a
// drive chosen in the drive list refills the folder list), and says nothing
// of its current item when the list itself gets the focus.
class ListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void tellCurrent();
};
