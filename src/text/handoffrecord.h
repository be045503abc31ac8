// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/listrow.h"

#include <QString>
#include <QStringList>

// The hand-off file's two records. A browse button writes the target line:
// one field, the row target number, "2k-1" for settings row k (the number
// of the row's caption box). A choice appends the selection record: the
// program's name, then its full path, in the form of a list record.
class HandOffRecord
{
public:
    static QStringList targetLine(ListRow row);
    // The row whose target number is exactly text, compared as text in row
    // order; no row when it is none of them (a hand edit, a leading zero).
    static ListRow rowOfTarget(const QString &text);
    static QStringList selection(const QString &name, const QString &path);
};
