// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/shortcutlist.h"

#include "runtime/filereplacer.h"
#include "runtime/filetable.h"
#include "store/handoff.h"

#include <QFile>

#include <sys/stat.h>

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

QByteArray ShortcutList::fingerprint()
{
    struct stat st;
    if (::stat(QFile::encodeName(fileName()).constData(), &st) != 0)
        return {};
    return QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino)) + ':'
           + QByteArray::number(qint64(st.st_size)) + ':' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.'
           + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ':' + QByteArray::number(qint64(st.st_ctim.tv_sec))
           + '.' + QByteArray::number(qint64(st.st_ctim.tv_nsec));
}

std::optional<RuntimeError> ShortcutList::recover()
{
    FileReplacer::recover(HandOff::fileName(), false);
    return FileReplacer::recover(fileName(), true);
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
