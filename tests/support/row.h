// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>

#include <type_traits>

// A named setup (an unscoped enumerator, or several or-ed) fills an int column.
template <typename T>
auto column(const T &value)
{
    if constexpr (std::is_enum_v<T> && std::is_convertible_v<T, int>)
        return int(value);
    else
        return value;
}

// One row of a data table as one call: a row reads as one line where a chain of << would break between strings.
template <typename... Columns>
void row(const char *name, const Columns &...columns)
{
    (QTest::newRow(name) << ... << column(columns));
}
