// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Row k of the list: record k of data.txt, launch item k, and row k of the
// settings window, whose caption box is Text(2k-1) and path box Text(2k).
// The hand-off file names a row by the number of its caption box.
struct ListRow
{
    static constexpr int count = 9;
    enum Column { Caption, Path };

    int number = 0; // 1 to count; 0 for no row

    int box(Column column) const { return 2 * number - 1 + column; }
    static ListRow ofBox(int box) { return { (box + 1) / 2 }; }
    static Column columnOfBox(int box) { return box % 2 ? Caption : Path; }
    bool operator==(const ListRow &) const = default;
};
