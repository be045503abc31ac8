// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/shortcutentry.h"

#include <QByteArray>
#include <QString>

#include <array>

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

    // Replaces the whole list with nine records; the previous file stays as
    // it was unless the new one is written complete.
    static void write(const Entries &entries);
};
