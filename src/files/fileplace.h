// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Where a name in the working folder leads at one moment, and which version
// of the file stands there: whether the name is a symbolic link and its
// text, the identity (device and inode) of the file it ends at, and that
// file's size and times. A window keeps the place of the list it read, so
// that a save can tell a list changed in place from a name that now leads
// to another file.
class FilePlace
{
public:
    FilePlace() = default;

    bool exists() const { return m_exists; }
    // The file the name ends at, for the user's eyes: its absolute path where
    // the system can tell it.
    const QString &shownPath() const { return m_shownPath; }
    // The name leads to the same file, the same way.
    bool sameFile(const FilePlace &other) const;
    // The same file, unchanged since.
    bool operator==(const FilePlace &other) const;

private:
    friend class FileLocation;

    bool m_exists = false;
    bool m_link = false;
    QByteArray m_linkText;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    QByteArray m_stamp;
    QString m_shownPath;
};
