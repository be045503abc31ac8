// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/shortcutentry.h"

#include "runtime/runtimeerror.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// The user's nine entries in data.txt in the working folder, always under
// file number 1. Readers open the list, take as many entries as they need and
// close it within one handler; nothing is cached between handlers.
class ShortcutList
{
public:
    static constexpr int size = 9;
    static constexpr int fileNumber = 1;
    using Entries = std::array<ShortcutEntry, size>;

    static QString fileName();

    static void openForReading();
    static ShortcutEntry readEntry();
    static void close();

    // What tells one version of the file from another without reading it:
    // its identity, size and times. Empty when there is no such file.
    static QByteArray fingerprint();

    // What saves cut off by a crash left beside the list, the hand-off file
    // or in the cache is removed, and a list torn by a write in place gets
    // its whole old content back from the copy made before it. Run before
    // the list is first read; returns what the user must be told.
    static std::optional<RuntimeError> recover();

    // Replaces the whole list with nine records; the previous file stays as
    // it was unless the new one is written complete.
    static void write(const Entries &entries);
};
