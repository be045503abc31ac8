// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>

// A failing operation, described by what failed and where, never by a
// sentence: the words the user reads are composed in one place (Messages).
// Handlers never catch it: the handler stops where it was raised, and
// Runtime::run reports it and ends the program. A window that can recover
// from a failure (a save that cannot be written) catches it and reports it.
class RuntimeError : public std::exception
{
public:
    enum class Kind {
        FileNotFound, // subject: file name
        FileNotOpened, // subject: file name; error: errno
        NotRegularFile, // subject: file name; number: a SpecialFile
        FieldTooLong, // subject: file name; number: the field
        FileNotRead, // subject: file name; number: the field; error: errno
        FileAlreadyOpen, // subject: file name; number: the file number
        FileNotOpen, // number: the file number
        InputPastEnd, // subject: file name; number: the field that was missing
        FileNotWritten, // subject: file name; error: errno; previousKept; backup
        FieldNotStorable, // subject: file name; character
        BoxNotStorable, // number: the text box; character
        BoxTooLong, // number: the text box
        ChoiceNotStorable, // subject: the chosen file's path; character
        StartFailed, // subject: command line
        FolderNotRead, // subject: folder; error: ENOENT or EACCES
        FolderNotMade, // subject: the list's folder; error: errno; place: a folder root did not make, number: the
                       // owner of the folder it would have been made in
        FolderNotPrivate, // subject: the list's folder; number: an Exposure; place: the link of OtherUsersLink
        ProgramMissing, // subject: the program a command line names
        FileBusy, // subject: file name; number: a Holder
        LinkNotFollowed, // subject: file name; number: the link's owner; place: the link
        CacheNotMade, // subject: file name; place: the cache folder; error: errno
        SaveInterrupted, // subject: file name; previousKept: restored; backup; error: errno
        HandOffNotOurs, // subject: file name; number: the row asked, 0 for none
        NoProgramSelected, // subject: the folder the file list shows
        FileOfAnother, // subject: file name; number: its owner, who alone may replace it
    };

    // What stands where a regular file was expected.
    enum SpecialFile { Link = 1, Pipe, Device, Socket };
    // Who stood in a save's way: another program that changed the file at
    // that moment, or another launcher of the user's that was saving it.
    enum Holder { ChangedMeanwhile = 0, HeldByLauncher };
    // How others could reach into the list's folder.
    enum Exposure { OtherOwner = 1, OpenToOthers, OtherUsersLink };

    RuntimeError(Kind kind, QString subject, int number = 0);

    RuntimeError &withErrno(int error);
    RuntimeError &withCharacter(QString character);
    RuntimeError &withPreviousKept(bool kept);
    RuntimeError &withBackup(QString path);
    RuntimeError &withPlace(QString path);

    Kind kind() const { return m_kind; }
    const QString &subject() const { return m_subject; }
    int number() const { return m_number; }
    int error() const { return m_error; }
    const QString &character() const { return m_character; }
    bool previousKept() const { return m_previousKept; }
    // Where the old content waits when a failed write had begun in place.
    const QString &backup() const { return m_backup; }
    // Another path the error is about: a link, the cache folder.
    const QString &place() const { return m_place; }
    // The working folder when the error was raised: files are named
    // without a folder, so this is where they were looked for.
    const QString &folder() const { return m_folder; }
    // Whether a folder stood where the named file was expected.
    bool subjectIsFolder() const { return m_subjectIsFolder; }

    const char *what() const noexcept override;

private:
    Kind m_kind;
    QString m_subject;
    int m_number;
    int m_error = 0;
    QString m_character;
    bool m_previousKept = false;
    QString m_backup;
    QString m_place;
    QString m_folder;
    bool m_subjectIsFolder = false;
};
