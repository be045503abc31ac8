// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/descriptor.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <vector>

// The files a save makes besides the one it writes: the temporary that
// becomes the new file, and the journal kept while a file is rewritten in
// place, which holds the old content and then the new. Whoever makes one
// holds it with flock for as long as it exists, so a lock that can be taken
// means its writer is gone (where the file system has no locks, the user's
// turn at the list says so instead). A later start or save removes such a
// temporary, and settles a journal against the list it was made for, tied
// to it by the list's name and folder. The list is changed only where its
// bytes prove the write was cut off: every byte the old or the new one at
// its place. Anything else was written since, and stays; the old content
// is then kept for the user under a name of its own.
class Leftovers
{
public:
    // A new empty file, named prefix and six random characters, locked by
    // the descriptor returned where the file system has locks; an unopened
    // one, with errno set, where it cannot be made.
    static Descriptor create(int folder, const QByteArray &prefix, mode_t mode, QByteArray *name);

    static QByteArray temporaryPrefix(const QByteArray &leaf);
    // What the journal of the list leaf in the folder is named, while its
    // content is written to it.
    static QByteArray journalName(const QByteArray &leaf, const struct stat &folder, qint64 oldSize, qint64 newSize);

    // Removes the temporaries of leaf in folder whose writer is gone. With
    // turnHeld, the caller holds the user's turn at the list, so that the
    // user's own are gone even where no lock tells.
    static void tidy(int folder, const QByteArray &leaf, bool turnHeld);

    struct Copy
    {
        int folder;
        QByteArray name;
        Descriptor file;
        qint64 oldSize; // -1: a copy of the old content alone, from an earlier version
        qint64 newSize;
        QByteArray hash; // of the new content, in an earlier version's copy
    };
    // The journals of the list leaf in listFolder (whose status is here),
    // beside it or in the cache, whose writer is gone; each is held until
    // dropped.
    static std::vector<Copy> copiesOf(const QByteArray &leaf, int listFolder, const struct stat &here, int cache,
                                      const struct stat &list, bool turnHeld);

    struct Outcome
    {
        bool restored = false; // a torn list got its old content back
        int error = 0; // a torn list that could not, and why
        QString copy; // where an old content still is
    };
    // For each journal: a list that holds the new content whole is
    // finished (its length set), one torn by the write gets the old content
    // back, one that is either whole content needs nothing; the journal then
    // goes. A list changed since is left as it is, and its old content kept
    // beside the journal's place under a name of its own.
    static Outcome settle(std::vector<Copy> &copies, int target, const QByteArray &leaf);

    // At most limit bytes of a file, from its start; false on a read error
    // or a longer file.
    static bool readWhole(int fd, QByteArray *bytes, qint64 limit);
    // Puts content in place of the file's whole content and syncs it.
    static bool rewrite(int target, const QByteArray &content);
    static void remove(int folder, const QByteArray &name);

    // The user's cache folder for journals: $XDG_CACHE_HOME/hizli, or
    // ~/.cache/hizli where that variable is unset or not an absolute path.
    static QByteArray cachePath();
    static Descriptor openCache(bool create);
};
