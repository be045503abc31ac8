// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/shortcutentry.h"

#include "errors/runtimeerror.h"
#include "files/fileplace.h"
#include "text/listrow.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// The user's nine entries in data.txt in the working folder, always under
// file number 1. Readers open the list, take as many entries as they need and
// close it within one call, and no failure on the way leaves it open;
// nothing is cached between handlers.
class ShortcutList
{
public:
    static constexpr int fileNumber = 1;
    using Entries = std::array<ShortcutEntry, ListRow::count>;

    static QString fileName();

    // Reads records 1 to records in order, each handed to take as soon as
    // it is read.
    static void read(int records, const std::function<void(int record, const ShortcutEntry &entry)> &take);

    // Where the list's name leads now and which version of it is there,
    // without reading it.
    static FilePlace place();

    // What saves cut off by a crash left beside the list, the hand-off file
    // or in the cache is removed, and a list torn by a write in place gets
    // its whole old content back from the copy made before it. Run before
    // the list is first read; returns what the user must be told.
    static std::optional<RuntimeError> recover();

    // Replaces the whole list with nine records if the name still leads to
    // the list expected, unchanged; the previous file stays as it was unless
    // the new one is written complete. Saves of one list by several windows
    // or launchers are taken one at a time, from this check to the end of
    // the write. False, with nothing written and where the name leads now
    // through now, when the list is not the one expected.
    static bool write(const Entries &entries, const FilePlace &expected, FilePlace *now);
};
