// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>

#include <vector>

// The entries of one folder, read in one pass over its directory. Hidden
// entries (names that begin with a dot, "." and ".." among them) are left
// out: they are a folder's own, not programs to offer. What an entry is from
// the directory where the file system says so; only links and entries of
// unknown type are looked at, so a folder of many files costs little more
// than reading its directory.
class FolderEntries
{
public:
    // The folder as the file system names it.
    explicit FolderEntries(const QByteArray &folder);
    ~FolderEntries();
    FolderEntries(const FolderEntries &) = delete;
    FolderEntries &operator=(const FolderEntries &) = delete;

    qsizetype size() const { return qsizetype(m_entries.size()); }
    // The name as the file system holds it.
    const char *name(qsizetype i) const { return m_names.constData() + m_entries[i].offset; }
    // Files and folders, a link counting as what it leads to.
    bool isFile(qsizetype i) const;
    bool isFolder(qsizetype i) const;
    // Whether the user may execute the entry.
    bool isExecutable(qsizetype i) const;

    // The subfolders' names as the file system holds them, sorted as the
    // lists show them.
    QList<QByteArray> folders() const;
    // By name without regard to case, so "b" stands after "A", not before it.
    static void sortByName(QStringList &names);

private:
    struct Entry
    {
        qsizetype offset;
        unsigned char type;
    };
    unsigned char typeOf(qsizetype i) const;

    int m_folder = -1;
    QByteArray m_names;
    std::vector<Entry> m_entries;
};
