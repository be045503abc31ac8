// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/listbox.h"

#include <QAccessible>
#include <QFocusEvent>

ListBox::ListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ListBox::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (hasFocus())
        QListWidget::currentChanged(current, previous);
    else // past QListView's own, which tells screen readers of a focus there is not
        QAbstractItemView::currentChanged(current, previous); // NOLINT(bugprone-parent-virtual-call)
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    // From the keyboard the current item is also the selected one, so that
    // what is heard is what "Seç" or Enter takes.
    if (event->reason() != Qt::MouseFocusReason && currentItem() && selectedItems().isEmpty())
        currentItem()->setSelected(true);
    // Told once the list's own focus has been told, which Qt does after this.
    QMetaObject::invokeMethod(this, &ListBox::tellCurrent, Qt::QueuedConnection);
}

void ListBox::tellCurrent()
{
    if (hasFocus() && currentItem() && QAccessible::isActive()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(currentRow());
        QAccessible::updateAccessibility(&focus);
    }
}
