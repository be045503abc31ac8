#include "store/shortcutlist.h"

#include "runtime/filetable.h"

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

void ShortcutList::write(const Entries &entries)
{
    FileTable::open(fileNumber, fileName(), FileTable::Mode::Output);
    try {
        for (const ShortcutEntry &entry : entries)
            FileTable::writeRecord(fileNumber, {entry.caption, entry.path});
    } catch (...) {
        FileTable::discard(fileNumber);
        throw;
    }
    FileTable::close(fileNumber);
}
