// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the list lives when Hızlı is started from the desktop menu: the
// user's own data folder, given a copy of the example list installed with
// the program on the first start.
class DataFolder
{
public:
    // $XDG_DATA_HOME/hizli, or ~/.local/share/hizli where XDG_DATA_HOME is
    // unset or not an absolute path.
    static QString path();
    // The example list installed beside the program; empty where there is
    // none (a program run from its build folder).
    static QString exampleList();

    // Makes the folder (mode 0700, with the folders above it) where it is
    // missing, copies the example list into it where it holds no list, and
    // makes it the working folder. A list already there, or a link of that
    // name, is never touched. Raises a RuntimeError naming the folder when
    // it cannot be made or entered.
    static void enter();
};
