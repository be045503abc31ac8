// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/filetable.h"

// A file of the file table, open for as long as this lives: however its use
// ends, by close() or by an error on the way, its number is free again
// afterwards. Output that was not closed is dropped, never committed.
class NumberedFile
{
public:
    NumberedFile(int number, const QString &name, FileTable::Mode mode,
                 FileTable::Links links = FileTable::Links::Follow);
    ~NumberedFile();
    NumberedFile(const NumberedFile &) = delete;
    NumberedFile &operator=(const NumberedFile &) = delete;

    QString readField() { return FileTable::readField(m_number); }
    void writeRecord(const QStringList &fields) { FileTable::writeRecord(m_number, fields); }
    FilePlace place() const { return FileTable::place(m_number); }
    FileTable::Identity identity() const { return FileTable::identity(m_number); }
    // Commits output; returns the file written.
    FileTable::Identity close();

private:
    int m_number;
};
