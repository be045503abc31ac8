// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/listrow.h"

#include <QString>

#include <exception>
#include <sys/types.h>
#include <variant>

// A failing operation, described by what failed and where, never by a
// sentence: the words the user reads are composed in one place (Messages).
// Handlers never catch it: the handler stops where it was raised, and
// Runtime::run reports it and ends the program. A window that can recover
// from a failure (a save that cannot be written) catches it and reports it.
// Each group of kinds has data of a type of its own, and in Messages a switch
// over its kinds alone: a kind raised with another group's data, or without
// its sentence, does not compile. The groups number their kinds apart.
class RuntimeError : public std::exception
{
public:
    enum FileKind {
        FileNotFound = 100,
        FileNotOpened,
        NotRegularFile,
        FileNotWritten,
        FieldNotStorable,
        CacheNotMade,
        FileChanged, // by another program, between the check and the write
        FileBusy, // another launcher of the user's is saving it
        SaveInterrupted,
        ProgramMissing,
        ChoiceNotStorable,
        NoProgramSelected,
        FolderNotRead,
        FolderNotMade,
        FolderOpenToOthers,
        FileAlreadyOpen,
        FileNotOpen,
    };
    enum FieldKind { FieldTooLong = 200, FileNotRead, InputPastEnd };
    enum BoxKind { BoxNotStorable = 300, BoxTooLong };
    enum OwnerKind { LinkNotFollowed = 400, FileOfAnother, FolderOfAnother, FolderNotMadeInOthers, FolderBehindLink };
    enum SingleKind { StartFailed = 500, HandOffNotOurs };

    // What stands where a regular file was expected.
    enum Standing { Regular, Link, Pipe, Device, Socket, Folder };

    struct File
    {
        FileKind kind;
        QString name; // of a file or folder, as it was given
        int error = 0; // errno, 0 where none is known
        bool previousKept = false; // the old content stands, kept or put back
        QString backup = {}; // where a whole copy of the old content waits
        Standing standing = Regular; // a folder is found as the error is raised
        QString character = {}; // the first the list cannot hold, in a field written to it or in its name
        QString cache = {}; // the folder a copy of its old content could not be made in
        int number = 0; // the number it is open under
    };
    struct Field
    {
        FieldKind kind;
        QString name;
        int field; // counted through the whole list file from 1
        int error = 0;
    };
    struct Box
    {
        BoxKind kind;
        ListRow row;
        ListRow::Column column;
        QString character = {}; // the first the list cannot hold
    };
    struct Owner
    {
        OwnerKind kind;
        QString name;
        uid_t owner; // of the file, folder or link in the way
        QString place = {}; // the other user's link, or the folder not made in theirs
    };
    struct Command
    {
        static constexpr SingleKind kind = StartFailed;
        QString line;
        QString folder; // where it was started
    };
    struct HandOff
    {
        static constexpr SingleKind kind = HandOffNotOurs;
        QString name;
        ListRow row; // the row it was asked for, none where the last ask failed
    };
    using Data = std::variant<File, Field, Box, Owner, Command, HandOff>;

    explicit RuntimeError(Data data);
    static RuntimeError notRegular(const QString &name, mode_t mode);

    int kind() const { return m_kind; }
    const Data &data() const { return m_data; }
    // The working folder when the error was raised: files are named
    // without a folder, so this is where they were looked for.
    const QString &folder() const { return m_folder; }

    const char *what() const noexcept override;

private:
    Data m_data;
    int m_kind;
    QString m_folder;
};
