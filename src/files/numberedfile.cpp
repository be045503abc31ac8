// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/numberedfile.h"

NumberedFile::NumberedFile(int number, const QString &name, FileTable::Mode mode, FileTable::Links links)
    : m_number(number)
{
    FileTable::open(number, name, mode, links);
}

NumberedFile::~NumberedFile()
{
    FileTable::discard(m_number);
}

FileTable::Identity NumberedFile::close()
{
    return FileTable::close(m_number);
}
