// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

// Draws each item of a list moved right by its level, as a tree would
// indent it, so a flat list can show a chain of nested folders.
class IndentDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The item data role that holds the level: 0 at the left edge.
    static constexpr int levelRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    static int indent(const QStyleOptionViewItem &option, const QModelIndex &index);
};
