// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/descriptor.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <vector>

// The files a save makes besides the one it writes: the temporary that
// becomes the new file, and the copy of the old content kept while a file
// is rewritten in place. Whoever makes one holds it with flock for as long
// as it exists, so a lock that can be taken means its writer is gone: a
// later start or save removes the temporary, and settles the copy against
// the file it was made for (which its name records, with the size and a
// hash of the content that was being written). A running launcher's own
// are never touched.
class Leftovers
{
public:
    // A new empty file, named prefix and six random characters, locked by
    // the descriptor returned; an unopened one, with errno set, where it
    // cannot be made.
    static Descriptor create(int folder, const QByteArray &prefix, mode_t mode, QByteArray *name);

    static QByteArray temporaryPrefix(const QByteArray &leaf);
    // What a copy of the file target is named, while content is written to it.
    static QByteArray copyPrefix(const QByteArray &leaf, const struct stat &target, const QByteArray &content);

    // Removes the temporaries of leaf in folder whose writer is gone.
    static void tidy(int folder, const QByteArray &leaf);

    struct Copy
    {
        int folder;
        QByteArray name;
        Descriptor file;
        qint64 size; // of the content that was being written
        QByteArray hash;
    };
    // The copies made for the file target, in its own folder or the cache,
    // whose writer is gone; each is held locked until dropped.
    static std::vector<Copy> copiesOf(const struct stat &target, int targetFolder, int cache);

    struct Outcome
    {
        bool restored = false; // a torn file got its old content back
        int error = 0; // a torn file that could not, and why
        QString copy; // where its old content still is
    };
    // For each copy: a write that completed is finished (its length set)
    // and one that never began is left; a torn file gets the copy's content
    // back. The copy is removed once the file is whole, and kept otherwise.
    static Outcome settle(std::vector<Copy> &copies, int target);

    // Copies bytes from the start of one file over the start of the other
    // and sets its length, then syncs it.
    static bool copyContent(int from, int to);
    static void remove(int folder, const QByteArray &name);

    // The user's cache folder for copies: $XDG_CACHE_HOME/hizli, or
    // ~/.cache/hizli where that variable is unset or not an absolute path.
    static QByteArray cachePath();
    static Descriptor openCache(bool create);
};
