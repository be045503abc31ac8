// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/handoffrecord.h"

QStringList HandOffRecord::targetLine(ListRow row)
{
    return { QString::number(row.box(ListRow::Caption)) };
}

ListRow HandOffRecord::rowOfTarget(const QString &text)
{
    for (ListRow row { 1 }; row.number <= ListRow::count; ++row.number) {
        if (text == targetLine(row).first())
            return row;
    }
    return {};
}

QStringList HandOffRecord::selection(const QString &name, const QString &path)
{
    return { name, path };
}
