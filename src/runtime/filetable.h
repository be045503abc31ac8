// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

    static void open(int number, const QString &name, Mode mode, Links links = Links::Follow);
    // Throws once the read starts at the end of the file.
    static QString readField(int number);
    static void writeRecord(int number, const QStringList &fields);
    // Output files are committed here; a commit that fails raises the error.
    static void close(int number);
    // Drops the file without committing what was written to it.
    static void discard(int number);
    // What the end of the program does: inputs and appends are closed,
    // output that no handler closed is incomplete and is dropped.
    static void closeAll();
    static bool isOpen(int number);
};
