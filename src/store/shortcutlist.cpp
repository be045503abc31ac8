// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/shortcutlist.h"

#include "runtime/filereplacer.h"
#include "runtime/filetable.h"
#include "store/handoff.h"

QString ShortcutList::fileName()
{
    return QStringLiteral("data.txt");
}

void ShortcutList::openForReading()
{
    FileTable::open(fileNumber, fileName(), FileTable::Mode::Input);
}

ShortcutEntry ShortcutList::readEntry()
{
    ShortcutEntry entry;
    entry.caption = FileTable::readField(fileNumber);
    entry.path = FileTable::readField(fileNumber);
    return entry;
}

void ShortcutList::close()
{
    FileTable::close(fileNumber);
}

FilePlace ShortcutList::place()
{
    return FilePlace::of(fileName());
}

std::optional<RuntimeError> ShortcutList::recover()
{
    FileReplacer::recover(HandOff::fileName(), false);
    return FileReplacer::recover(fileName(), true);
}

bool ShortcutList::write(const Entries &entries, const FilePlace &expected, FilePlace *now)
{
    FileTable::open(fileNumber, fileName(), FileTable::Mode::Output);
    try {
        *now = FileTable::place(fileNumber);
        if (*now != expected) {
            FileTable::discard(fileNumber);
            return false;
        }
        for (const ShortcutEntry &entry : entries)
            FileTable::writeRecord(fileNumber, {entry.caption, entry.path});
    } catch (...) {
        FileTable::discard(fileNumber);
        throw;
    }
    FileTable::close(fileNumber);
    return true;
}
