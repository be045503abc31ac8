// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/handoffrecord.h"

QStringList HandOffRecord::targetLine(int row)
{
    return { QString::number(2 * row - 1) };
}

int HandOffRecord::rowOfTarget(const QString &text)
{
    for (int row = 1; row <= rowCount; ++row) {
        if (text == targetLine(row).first())
            return row;
    }
    return 0;
}

QStringList HandOffRecord::selection(const QString &name, const QString &path)
{
    return { name, path };
}
