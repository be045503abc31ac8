// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/indentdelegate.h"

#include <QStyle>
#include <QWidget>

int IndentDelegate::indent(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const QStyle *style = option.widget ? option.widget->style() : nullptr;
    const int step = style ? style->pixelMetric(QStyle::PM_TreeViewIndentation, nullptr, option.widget) : 20;
    return index.data(levelRole).toInt() * step;
}

void IndentDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem indented(option);
    indented.rect.setLeft(option.rect.left() + indent(option, index));
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize IndentDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(option, index), 0);
}
