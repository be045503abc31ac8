// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "errors/runtimeerror.h"
#include "files/descriptor.h"
#include "files/filelocation.h"
#include "files/fileplace.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/stat.h>

// Puts new content in a file's place all at once, keeping what the file is:
// its owner, group, permission bits, ACL and other extended attributes, and
// every hard link to it. As vim and GLib's g_file_replace do, it writes a
// new file beside the old one and renames it into place where that keeps
// everything; where it cannot (a hard-linked file, a folder that takes no
// new file, an owner or attribute the new file cannot be given) it writes in
// place, after a journal of the old and the new content is on disk. Every step works
// from the folder that holds the file, opened once (FileLocation). Every
// failure raises a RuntimeError.
//
// Being killed at any moment leaves the whole old or the whole new content,
// or, in place, a journal from which the next start or save makes the file
// whole again where its bytes prove the write was cut off (Leftovers).
class FileReplacer
{
public:
    // With followLinks, a symbolic link keeps pointing where it did and its
    // target gets the new content; without, the name always gets a new file
    // of the current user, never written through a link of any kind and
    // never keeping another owner.
    FileReplacer(QString name, bool followLinks);

    // Finds where the name leads and fails at once where the file cannot be
    // written at all, before anything is changed. With followLinks it also
    // takes the user's turn at the list, held until the replacer goes: saves
    // by the user's other launchers wait for it a short while.
    void check();
    // Where the name leads now, as check() found it.
    FilePlace place() const { return m_location.place(); }
    void append(const QByteArray &bytes) { m_bytes += bytes; }
    // Returns the status of the file written.
    struct stat commit();

    // What an interrupted save of name left is settled: orphaned temporaries
    // are removed, a file torn by a write in place gets its old content back,
    // and the old content of one changed since is kept under a name of its
    // own. Returns what the user must be told, if anything.
    static std::optional<RuntimeError> recover(const QString &name, bool followLinks);

    // How long a save waits for another launcher's save of the same folder.
    static constexpr int lockWait = 2000;
    // Far beyond any list: a file rewritten in place is held in memory.
    static constexpr qint64 maxSize = qint64(1) << 26;

private:
    std::optional<struct stat> replaceWhole(const struct stat *old);
    struct stat writeInPlace(const struct stat &old);
    void settleOrphans(const struct stat &target);
    void checkUnchanged() const;
    [[noreturn]] void fail(int error, bool previousKept, const QString &backup = {}) const;

    QString m_name;
    bool m_followLinks;
    QByteArray m_bytes;
    FileLocation m_location;
    bool m_existed = false;
    Descriptor m_turn;
    struct stat m_checked = {};
    struct stat m_folder = {};
};
