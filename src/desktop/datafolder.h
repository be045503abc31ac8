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
    // $HOME, or the user's home in the password database where HOME is
    // unset or not an absolute path.
    static QString home();
    // The example list installed beside the program; empty where there is
    // none (a program run from its build folder).
    static QString exampleList();

    // Makes the folder (mode 0700, with the folders above it) where it is
    // missing, makes it the working folder, clears what a killed copy left
    // there and copies the example list into it where it holds no list. A
    // list already there, or a link of that name, is never touched. The
    // programs of the list run as the user, so a folder others could change
    // is not entered: one of another owner, one open to the group or others,
    // or one reached through another user's link. Root makes no folder in
    // another user's. Raises a RuntimeError naming the folder when it cannot
    // be made, entered or given the example.
    static void enter();
};
