// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/fileplace.h"

#include <QString>
#include <QStringList>

// Sequential text files by file number, named without a folder and so in the
// working folder. Only regular files are read or written: anything else of
// that name (a pipe, a device) is refused at open, before it can block.
// Output replaces the file whole when it is closed complete (FileReplacer):
// a failed or interrupted write leaves the previous content. Every failure
// raises a RuntimeError that names the file and the cause.
class FileTable
{
public:
    enum class Mode { Input, Output, Append };
    // Whether a symbolic link of that name is followed to its target, or
    // refused (input, append) and replaced by a regular file (output).
    enum class Links { Follow, Refuse };

    // Which file an open file number stands for.
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        quint64 links = 0; // names of the file
        bool operator==(const Identity &other) const { return device == other.device && inode == other.inode; }
    };

    // Output with links followed holds the save lock of the file's folder
    // until the file is closed or dropped.
    static void open(int number, const QString &name, Mode mode, Links links = Links::Follow);
    // Where an output file's name leads now.
    static FilePlace place(int number);
    // The file open for input or append.
    static Identity identity(int number);
    // Throws once the read starts at the end of the file.
    static QString readField(int number);
    static void writeRecord(int number, const QStringList &fields);
    // Output files are committed here; a commit that fails raises the error.
    // Returns the file written, for output.
    static Identity close(int number);
    // Drops the file without committing what was written to it.
    static void discard(int number);
    // What the end of the program does: inputs and appends are closed,
    // output that no handler closed is incomplete and is dropped.
    static void closeAll();
    static bool isOpen(int number);
};
