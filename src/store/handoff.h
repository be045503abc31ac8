// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/shortcutentry.h"
#include "text/listrow.h"

#include <QString>

// sil.txt in the working folder, always under file number 2: the settings
// row that asked for a program, and the program chosen for it. Each call
// opens, uses and closes the file; a failure leaves no file open.
//
// Every launcher started in one folder shares the name, so the file belongs
// to the launcher that asked: asking always makes a new file of the current
// user, never written through a link of any kind, and this process keeps
// in memory which file that was and which row asked. A choice goes only
// into that very file and only to that row; otherwise it is refused with
// nothing written and no row filled. The bytes stay as older versions
// wrote and read them.
class HandOff
{
public:
    struct Choice
    {
        ListRow row; // the row that asked
        ShortcutEntry entry; // the program's name and full path
    };

    static QString fileName();

    // Replaces the file with a new one holding row's target line.
    static void ask(ListRow row);
    // Appends the selection record and reads the file back: what reaches the
    // row is what the file holds, the target line first. A name or path the
    // file cannot hold is refused before anything is written.
    static Choice choose(const QString &name, const QString &path);

private:
    static constexpr int fileNumber = 2;
};
