// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/descriptor.h"
#include "files/fileplace.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/stat.h>

// Where a name leads from the working folder, found one step at a time: each
// folder on the way is opened relative to the one before it, and each
// symbolic link is read and followed by the program itself. Nothing is
// reached by a path put together from folder names, so a folder deeper than
// the longest path the system takes works like any other, and the file a
// save writes is the one it looked at: the final folder stays open.
class FileLocation
{
public:
    struct Link
    {
        QString shownPath;
        uid_t owner;
    };

    // With followLinks, a link in the name's own place is followed too;
    // links on the way to it always are.
    static FileLocation resolve(const QString &name, bool followLinks);

    // The errno that stopped the walk before the final folder (a missing
    // folder, a loop of links); 0 when it was reached.
    int error() const { return m_error; }
    int folder() const { return m_folder.get(); }
    const QByteArray &leaf() const { return m_leaf; }
    // The links followed on the way, in order.
    const QList<Link> &links() const { return m_links; }
    // What stands in the final folder under the leaf, not followed; false
    // (errno set) where nothing does.
    bool status(struct stat *st) const;
    QString shownPath() const;
    FilePlace place() const;

    // The absolute path of an open folder, for the user's eyes only.
    static QString shownFolder(int folder);

private:
    Descriptor m_folder;
    QByteArray m_leaf;
    QList<Link> m_links;
    bool m_link = false;
    QByteArray m_linkText;
    int m_error = 0;
};
