#pragma once

#include <QString>
#include <QStringList>

// Sequential text files by file number, named without a folder and so in the
// working folder. Output goes to a temporary file that replaces the named one
// only when it is closed complete: a failed or interrupted write leaves the
// previous file as it was. Every failure raises a RuntimeError that names the
// file and the cause.
class FileTable
{
public:
    enum class Mode { Input, Output, Append };

    static void open(int number, const QString &name, Mode mode);
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
