// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Puts new content in a file's place all at once, keeping what the file is:
// its owner, group, permission bits, ACL and other extended attributes, and
// every hard link to it. As vim and GLib's g_file_replace do, it writes a
// new file beside the old one and renames it into place where that keeps
// everything; where it cannot (a hard-linked file, a folder that takes no
// new file, an owner or attribute the new file cannot be given) it writes in
// place, after copying the old content to a backup that stays until the new
// bytes are on disk. Every failure raises a RuntimeError.
class FileReplacer
{
public:
    // With followLinks, a symbolic link keeps pointing where it did and its
    // target gets the new content; without, the link itself is replaced by
    // a regular file, and so is anything else that is not a regular file.
    FileReplacer(QString name, bool followLinks);

    // Fails at once where the file cannot be written at all, before anything
    // is changed.
    void check() const;
    void append(const QByteArray &bytes) { m_bytes += bytes; }
    void commit();

private:
    QString target() const;
    bool replaceWhole(const QString &target, const struct stat *old);
    void writeInPlace(const QString &target);
    QString makeBackup(const QString &target);
    [[noreturn]] void fail(int error, bool previousKept, const QString &backup = {}) const;

    QString m_name;
    bool m_followLinks;
    QByteArray m_bytes;
};
