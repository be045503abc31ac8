// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/shortcutlist.h"

#include "files/filelocation.h"
#include "files/filereplacer.h"
#include "files/numberedfile.h"
#include "store/handoff.h"

QString ShortcutList::fileName()
{
    return QStringLiteral("data.txt");
}

void ShortcutList::read(int records, const std::function<void(int, const ShortcutEntry &)> &take)
{
    NumberedFile list(fileNumber, fileName(), FileTable::Mode::Input);
    for (int record = 1; record <= records; ++record) {
        ShortcutEntry entry;
        entry.caption = list.readField();
        entry.path = list.readField();
        take(record, entry);
    }
    list.close();
}

FilePlace ShortcutList::place()
{
    return FileLocation::resolve(fileName(), true).place();
}

std::optional<RuntimeError> ShortcutList::recover()
{
    FileReplacer::recover(HandOff::fileName(), false);
    return FileReplacer::recover(fileName(), true);
}

bool ShortcutList::write(const Entries &entries, const FilePlace &expected, FilePlace *now)
{
    NumberedFile list(fileNumber, fileName(), FileTable::Mode::Output);
    *now = list.place();
    if (*now != expected)
        return false;
    for (const ShortcutEntry &entry : entries)
        list.writeRecord({ entry.caption, entry.path });
    list.close();
    return true;
}
