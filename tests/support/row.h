// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>

// One row of a data table as one call: a row reads as one line where a chain of << would break between strings.
template <typename... Columns>
void row(const char *name, const Columns &...columns)
{
    (QTest::newRow(name) << ... << columns);
}
