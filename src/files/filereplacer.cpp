// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/filereplacer.h"

#include "files/leftovers.h"
#include "files/runtimefolder.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using Error = RuntimeError;

bool sameInode(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Extended attributes carry the ACL (system.posix_acl_access) and whatever
// else the desktop or the security module keeps on the file. A file that
// cannot be opened for reading (a write-only list) shows them through its
// descriptor's name in /proc.
bool copyAttributes(int folder, const QByteArray &leaf, int to)
{
    Descriptor from(::openat(folder, leaf.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    QByteArray path;
    if (!from.isOpen()) {
        from.reset(::openat(folder, leaf.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        path = "/proc/self/fd/" + QByteArray::number(from.get());
    }
    auto list = [&](char *names, size_t size) {
        return path.isEmpty() ? ::flistxattr(from.get(), names, size) : ::listxattr(path.constData(), names, size);
    };
    auto get = [&](const char *name, void *value, size_t size) {
        return path.isEmpty() ? ::fgetxattr(from.get(), name, value, size)
                              : ::getxattr(path.constData(), name, value, size);
    };
    const ssize_t size = list(nullptr, 0); // fails, as it should, where the file could not be opened
    if (size < 0)
        return errno == ENOTSUP;
    QByteArray names(size, '\0');
    if (list(names.data(), size_t(size)) != size)
        return false;
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t length = get(name.constData(), nullptr, 0);
        QByteArray value(qMax<ssize_t>(length, 0), '\0');
        if (length < 0 || get(name.constData(), value.data(), size_t(length)) != length
            || ::fsetxattr(to, name.constData(), value.constData(), size_t(length), 0) != 0)
            return false;
    }
    return true;
}

// The file open for rewriting, where it is still the one found (errno
// EBUSY where another stands there now).
Descriptor openSame(int folder, const QByteArray &leaf, const struct stat &found)
{
    Descriptor file(::openat(folder, leaf.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (file.isOpen() && (::fstat(file.get(), &st) != 0 || !sameInode(st, found))) {
        file.reset();
        errno = EBUSY;
    }
    return file;
}

// The user's turn at a list, named after the list's folder and name: only
// the user's own saves take turns by it, so no other user can stop them.
QByteArray turnName(const struct stat &folder, const QByteArray &leaf)
{
    return "save-" + QByteArray::number(quint64(folder.st_dev)) + '-' + QByteArray::number(quint64(folder.st_ino)) + '-'
            + QCryptographicHash::hash(leaf, QCryptographicHash::Sha256).left(8).toHex();
}

// The turn at a file itself, for launchers that write it through its other
// hard links.
QByteArray turnName(const struct stat &file)
{
    return "file-" + QByteArray::number(quint64(file.st_dev)) + '-' + QByteArray::number(quint64(file.st_ino));
}

// Whether a rename in the folder is on disk. A folder open only to look
// names up in (EBADF) or on a file system that syncs none (EINVAL) passes.
bool synced(int folder)
{
    return ::fsync(folder) == 0 || errno == EBADF || errno == EINVAL;
}

bool followsForeignLink(const FileLocation &location)
{
    // The kernel's rule for links in shared folders, applied to every
    // folder: root writes through no link another user could have placed.
    if (::geteuid() != 0)
        return false;
    for (const FileLocation::Link &link : location.links()) {
        if (link.owner != 0)
            return true;
    }
    return false;
}

}

FileReplacer::FileReplacer(QString name, bool followLinks)
    : m_name(std::move(name))
    , m_followLinks(followLinks)
{
}

void FileReplacer::check()
{
    m_location = FileLocation::resolve(m_name, m_followLinks);
    if (m_location.error())
        fail(m_location.error(), false);
    if (m_followLinks && followsForeignLink(m_location)) {
        for (const FileLocation::Link &link : m_location.links()) {
            if (link.owner != 0) {
                throw Error(Error::Owner { Error::LinkNotFollowed, m_name, link.owner, link.shownPath });
            }
        }
    }
    struct stat st;
    const bool exists = m_location.status(&st);
    if (exists && S_ISDIR(st.st_mode))
        fail(EISDIR, false);
    // Without following links, a link, pipe or socket of that name is
    // replaced by a regular file.
    if (exists && m_followLinks && !S_ISREG(st.st_mode))
        throw Error::notRegular(m_name, st.st_mode);
    if (::faccessat(m_location.folder(), ".", W_OK | X_OK, AT_EACCESS) != 0) {
        const int error = errno;
        const bool regular = exists && S_ISREG(st.st_mode);
        if (!m_followLinks || !regular
            || ::faccessat(m_location.folder(), m_location.leaf().constData(), W_OK, AT_EACCESS) != 0)
            fail(error, regular);
    }
    // What the folder is names the turn at the list and the journal.
    if (::fstat(m_location.folder(), &m_folder) != 0)
        fail(errno, exists && S_ISREG(st.st_mode));
    if (m_followLinks && !RuntimeFolder::lockWithin(&m_turn, turnName(m_folder, m_location.leaf()), lockWait))
        throw Error(Error::File { Error::FileBusy, m_name });
    m_existed = m_location.status(&m_checked);
}

// What check() saw must still stand there: a change in between is another
// program's, at this very moment.
void FileReplacer::checkUnchanged() const
{
    struct stat st;
    const bool exists = m_location.status(&st);
    if (exists != m_existed || (exists && !sameInode(st, m_checked)))
        throw Error(Error::File { Error::FileChanged, m_name });
}

struct stat FileReplacer::commit()
{
    Leftovers::tidy(m_location.folder(), m_location.leaf(), m_turn.isOpen());
    if (!m_followLinks)
        return *replaceWhole(nullptr);
    checkUnchanged();
    if (!m_existed)
        return *replaceWhole(nullptr);
    settleOrphans(m_checked);
    // Every name of a hard-linked file must see the new list, so it is
    // never replaced, only rewritten.
    if (m_checked.st_nlink == 1) {
        if (const auto made = replaceWhole(&m_checked))
            return *made;
    }
    return writeInPlace(m_checked);
}

// Copies left by an earlier save of this very file that was cut off: the
// file is made whole before anything else is written.
void FileReplacer::settleOrphans(const struct stat &target)
{
    const Descriptor cache = Leftovers::openCache(false);
    if (cache.isOpen())
        Leftovers::tidy(cache.get(), m_location.leaf(), m_turn.isOpen());
    std::vector<Leftovers::Copy> copies =
            Leftovers::copiesOf(m_location.leaf(), m_location.folder(), m_folder, cache.get(), target, m_turn.isOpen());
    if (copies.empty())
        return;
    const Descriptor file = openSame(m_location.folder(), m_location.leaf(), target);
    Descriptor turn;
    if (file.isOpen() && RuntimeFolder::lockWithin(&turn, turnName(target), lockWait))
        Leftovers::settle(copies, file.get(), m_location.leaf());
}

// Empty, with nothing changed, where the new file could not be made to be
// what the old one is.
std::optional<struct stat> FileReplacer::replaceWhole(const struct stat *old)
{
    const int folder = m_location.folder();
    QByteArray temporary;
    // A new file gets the usual permissions: the umask, or the folder's
    // default ACL.
    const QByteArray prefix = Leftovers::temporaryPrefix(m_location.leaf());
    const Descriptor file = Leftovers::create(folder, prefix, old ? 0600 : 0666, &temporary);
    if (!file.isOpen()) {
        if (old)
            return {};
        fail(errno, false);
    }
    if (old) {
        // The permission bits go first: an ACL copied after them sets the
        // group class to the old mask again.
        if (::fchown(file.get(), old->st_uid, old->st_gid) != 0 || ::fchmod(file.get(), old->st_mode & 07777) != 0
            || !copyAttributes(folder, m_location.leaf(), file.get())) {
            Leftovers::remove(folder, temporary);
            return {};
        }
    }
    // A rename keeps the inode: what the new file is, the list is once it is in place.
    struct stat made;
    if (!Descriptor::writeAll(file.get(), m_bytes.constData(), m_bytes.size(), 0) || ::fsync(file.get()) != 0
        || ::fstat(file.get(), &made) != 0) {
        const int error = errno;
        Leftovers::remove(folder, temporary);
        fail(error, old != nullptr);
    }
    try {
        if (m_followLinks)
            checkUnchanged();
    } catch (const RuntimeError &) {
        Leftovers::remove(folder, temporary);
        throw;
    }
    if (::renameat(folder, temporary.constData(), folder, m_location.leaf().constData()) != 0) {
        const int error = errno;
        Leftovers::remove(folder, temporary);
        // In a folder with the sticky bit (/tmp, a shared folder), only a
        // file's owner may replace it: the user is told whose it is.
        struct stat there;
        struct stat here;
        if ((error == EPERM || error == EACCES)
            && ::fstatat(folder, m_location.leaf().constData(), &there, AT_SYMLINK_NOFOLLOW) == 0
            && there.st_uid != ::geteuid() && ::fstat(folder, &here) == 0 && (here.st_mode & S_ISVTX)) {
            throw Error(Error::Owner { Error::FileOfAnother, m_name, there.st_uid });
        }
        fail(error, old != nullptr);
    }
    if (!synced(folder))
        fail(errno, false);
    return made;
}

struct stat FileReplacer::writeInPlace(const struct stat &old)
{
    const QByteArray &leaf = m_location.leaf();
    const Descriptor file = openSame(m_location.folder(), leaf, old);
    if (!file.isOpen() && errno != EBUSY)
        fail(errno, true);
    // Launchers in other folders may write the same file through its other
    // names: they take turns at the file itself too.
    Descriptor turn;
    if (!file.isOpen() || !RuntimeFolder::lockWithin(&turn, turnName(old), lockWait))
        throw Error(Error::File { Error::FileBusy, m_name });
    QByteArray before;
    // Written in place, the file keeps its inode and links.
    struct stat written;
    if (!Leftovers::readWhole(file.get(), &before, maxSize) || ::fstat(file.get(), &written) != 0)
        fail(errno, true);

    // The journal of the old and the new content, beside the file or in the
    // user's cache where the folder takes no new file, is whole and on disk
    // under a name that says what it is for before the first byte of the
    // file changes: from it the next start can tell a write cut off from a
    // list changed since.
    int journalFolder = m_location.folder();
    Descriptor cache;
    QByteArray temporary;
    Descriptor journal = Leftovers::create(journalFolder, Leftovers::temporaryPrefix(leaf), 0600, &temporary);
    if (!journal.isOpen() && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        cache = Leftovers::openCache(true);
        if (!cache.isOpen()) {
            throw Error(Error::File { .kind = Error::CacheNotMade,
                                      .name = m_name,
                                      .error = errno,
                                      .previousKept = true,
                                      .cache = QFile::decodeName(Leftovers::cachePath()) });
        }
        journalFolder = cache.get();
        journal = Leftovers::create(journalFolder, Leftovers::temporaryPrefix(leaf), 0600, &temporary);
    }
    if (!journal.isOpen())
        fail(errno, true);
    const QByteArray name = Leftovers::journalName(leaf, m_folder, before.size(), m_bytes.size()) + temporary.right(6);
    const QByteArray both = before + m_bytes;
    if (!Descriptor::writeAll(journal.get(), both.constData(), both.size(), 0) || ::fsync(journal.get()) != 0
        || ::renameat(journalFolder, temporary.constData(), journalFolder, name.constData()) != 0
        || !synced(journalFolder)) {
        const int error = errno;
        Leftovers::remove(journalFolder, temporary);
        Leftovers::remove(journalFolder, name);
        fail(error, true);
    }

    // A disk too full for the new content fails here, with nothing changed.
    if (!m_bytes.isEmpty() && ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(m_bytes.size())) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS) {
        const int error = errno;
        Leftovers::remove(journalFolder, name);
        fail(error, true);
    }
    if (!Descriptor::writeAll(file.get(), m_bytes.constData(), m_bytes.size(), 0)
        || ::ftruncate(file.get(), off_t(m_bytes.size())) != 0 || ::fsync(file.get()) != 0) {
        const int error = errno;
        // The old content fits where it was: it goes back at once.
        if (Leftovers::rewrite(file.get(), before)) {
            Leftovers::remove(journalFolder, name);
            fail(error, true);
        }
        fail(error, false, FileLocation::shownFolder(journalFolder) + u'/' + QFile::decodeName(name));
    }
    Leftovers::remove(journalFolder, name);
    return written;
}

std::optional<RuntimeError> FileReplacer::recover(const QString &name, bool followLinks)
{
    const FileLocation location = FileLocation::resolve(name, followLinks);
    struct stat folder;
    Descriptor turn;
    if (location.error() || ::fstat(location.folder(), &folder) != 0 || (followLinks && followsForeignLink(location))
        || (followLinks && !RuntimeFolder::lockWithin(&turn, turnName(folder, location.leaf()), lockWait)))
        return {};
    Leftovers::tidy(location.folder(), location.leaf(), turn.isOpen());
    const Descriptor cache = Leftovers::openCache(false);
    if (cache.isOpen())
        Leftovers::tidy(cache.get(), location.leaf(), turn.isOpen());
    struct stat st = {};
    const bool exists = location.status(&st);
    if (!followLinks || (exists && !S_ISREG(st.st_mode)))
        return {};
    std::vector<Leftovers::Copy> copies =
            Leftovers::copiesOf(location.leaf(), location.folder(), folder, cache.get(), st, turn.isOpen());
    if (!exists) {
        // A journal whose list is gone has nothing left to settle.
        for (const Leftovers::Copy &copy : copies)
            Leftovers::remove(copy.folder, copy.name);
        return {};
    }
    if (copies.empty())
        return {};
    const Descriptor file = openSame(location.folder(), location.leaf(), st);
    Descriptor fileTurn;
    Leftovers::Outcome outcome;
    if (file.isOpen() && RuntimeFolder::lockWithin(&fileTurn, turnName(st), lockWait)) {
        outcome = Leftovers::settle(copies, file.get(), location.leaf());
    } else {
        outcome.error = file.isOpen() ? EBUSY : errno;
        outcome.copy = FileLocation::shownFolder(copies.front().folder) + u'/' + QFile::decodeName(copies.front().name);
    }
    if (!outcome.restored && outcome.copy.isEmpty())
        return {};
    const bool restored = outcome.restored && !outcome.error;
    return Error(
            Error::File { Error::SaveInterrupted, name, outcome.error, restored, restored ? QString() : outcome.copy });
}

void FileReplacer::fail(int error, bool previousKept, const QString &backup) const
{
    throw Error(Error::File { Error::FileNotWritten, m_name, error, previousKept, backup });
}
