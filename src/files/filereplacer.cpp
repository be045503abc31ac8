// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/filereplacer.h"

#include "files/leftovers.h"

#include <QFile>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Waits at most ms for an exclusive flock. Where the file system offers no
// such lock (or the folder could only be opened to search it), the save
// goes on without one.
bool lockWithin(int fd, int ms)
{
    timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR))
            return true;
        timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if ((now.tv_sec - start.tv_sec) * 1000L + (now.tv_nsec - start.tv_nsec) / 1000000 >= ms)
            return false;
        const timespec pause = { 0, 5'000'000 };
        ::nanosleep(&pause, nullptr);
    }
}

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
                throw RuntimeError(RuntimeError::Kind::LinkNotFollowed, m_name, int(link.owner))
                        .withPlace(link.shownPath);
            }
        }
    }
    struct stat st;
    const bool exists = m_location.status(&st);
    if (exists && S_ISDIR(st.st_mode))
        fail(EISDIR, false);
    // Without following links, a link, pipe or socket of that name is
    // replaced by a regular file.
    if (exists && m_followLinks && !S_ISREG(st.st_mode)) {
        throw RuntimeError(RuntimeError::Kind::NotRegularFile, m_name,
                           S_ISFIFO(st.st_mode)           ? RuntimeError::Pipe
                                   : S_ISSOCK(st.st_mode) ? RuntimeError::Socket
                                                          : RuntimeError::Device);
    }
    if (::faccessat(m_location.folder(), ".", W_OK | X_OK, AT_EACCESS) != 0) {
        const int error = errno;
        const bool regular = exists && S_ISREG(st.st_mode);
        if (!m_followLinks || !regular
            || ::faccessat(m_location.folder(), m_location.leaf().constData(), W_OK, AT_EACCESS) != 0)
            fail(error, regular);
    }
    if (m_followLinks && !lockWithin(m_location.folder(), lockWait))
        throw RuntimeError(RuntimeError::Kind::FileBusy, m_name);
    m_existed = m_location.status(&m_checked);
}

// What check() saw must still stand there: a change in between is another
// program's, at this very moment.
void FileReplacer::checkUnchanged() const
{
    struct stat st;
    const bool exists = m_location.status(&st);
    if (exists != m_existed || (exists && !sameInode(st, m_checked)))
        throw RuntimeError(RuntimeError::Kind::FileBusy, m_name);
}

struct stat FileReplacer::commit()
{
    Leftovers::tidy(m_location.folder(), m_location.leaf());
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
        Leftovers::tidy(cache.get(), m_location.leaf());
    std::vector<Leftovers::Copy> copies = Leftovers::copiesOf(target, m_location.folder(), cache.get());
    if (copies.empty())
        return;
    const Descriptor file = openSame(m_location.folder(), m_location.leaf(), target);
    if (file.isOpen() && lockWithin(file.get(), lockWait))
        Leftovers::settle(copies, file.get());
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
    if (!Descriptor::writeAll(file.get(), m_bytes.constData(), m_bytes.size(), 0) || ::fsync(file.get()) != 0) {
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
        fail(error, old != nullptr);
    }
    ::fsync(folder);
    struct stat made;
    ::fstat(file.get(), &made);
    return made;
}

struct stat FileReplacer::writeInPlace(const struct stat &old)
{
    const QByteArray &leaf = m_location.leaf();
    const Descriptor file = openSame(m_location.folder(), leaf, old);
    if (!file.isOpen() && errno != EBUSY)
        fail(errno, true);
    // Launchers in other folders may write the same file through its other
    // names: the file itself is locked too.
    if (!file.isOpen() || !lockWithin(file.get(), lockWait))
        throw RuntimeError(RuntimeError::Kind::FileBusy, m_name);

    // The copy of the old content, beside the file or in the user's cache
    // where the folder takes no new file, is whole and on disk under a name
    // that says what it is for before the first byte of the file changes.
    int copyFolder = m_location.folder();
    Descriptor cache;
    QByteArray temporary;
    Descriptor copy = Leftovers::create(copyFolder, Leftovers::temporaryPrefix(leaf), 0600, &temporary);
    if (!copy.isOpen() && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        cache = Leftovers::openCache(true);
        if (!cache.isOpen()) {
            throw RuntimeError(RuntimeError::Kind::CacheNotMade, m_name)
                    .withErrno(errno)
                    .withPlace(QFile::decodeName(Leftovers::cachePath()))
                    .withPreviousKept(true);
        }
        copyFolder = cache.get();
        copy = Leftovers::create(copyFolder, Leftovers::temporaryPrefix(leaf), 0600, &temporary);
    }
    if (!copy.isOpen())
        fail(errno, true);
    const QByteArray name = Leftovers::copyPrefix(leaf, old, m_bytes) + temporary.right(6);
    if (!Leftovers::copyContent(file.get(), copy.get())
        || ::renameat(copyFolder, temporary.constData(), copyFolder, name.constData()) != 0) {
        const int error = errno;
        Leftovers::remove(copyFolder, temporary);
        fail(error, true);
    }
    ::fsync(copyFolder);

    // A disk too full for the new content fails here, with nothing changed.
    if (!m_bytes.isEmpty() && ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(m_bytes.size())) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS) {
        const int error = errno;
        Leftovers::remove(copyFolder, name);
        fail(error, true);
    }
    if (!Descriptor::writeAll(file.get(), m_bytes.constData(), m_bytes.size(), 0)
        || ::ftruncate(file.get(), off_t(m_bytes.size())) != 0 || ::fsync(file.get()) != 0) {
        const int error = errno;
        // The old content fits where it was: it goes back at once.
        if (Leftovers::copyContent(copy.get(), file.get())) {
            Leftovers::remove(copyFolder, name);
            fail(error, true);
        }
        fail(error, false, FileLocation::shownFolder(copyFolder) + u'/' + QFile::decodeName(name));
    }
    Leftovers::remove(copyFolder, name);
    struct stat written;
    ::fstat(file.get(), &written);
    return written;
}

std::optional<RuntimeError> FileReplacer::recover(const QString &name, bool followLinks)
{
    const FileLocation location = FileLocation::resolve(name, followLinks);
    if (location.error() || (followLinks && followsForeignLink(location)) || !lockWithin(location.folder(), lockWait))
        return {};
    Leftovers::tidy(location.folder(), location.leaf());
    const Descriptor cache = Leftovers::openCache(false);
    if (cache.isOpen())
        Leftovers::tidy(cache.get(), location.leaf());
    struct stat st;
    if (!followLinks || !location.status(&st) || !S_ISREG(st.st_mode))
        return {};
    std::vector<Leftovers::Copy> copies = Leftovers::copiesOf(st, location.folder(), cache.get());
    if (copies.empty())
        return {};
    const Descriptor file = openSame(location.folder(), location.leaf(), st);
    Leftovers::Outcome outcome;
    if (file.isOpen() && lockWithin(file.get(), lockWait)) {
        outcome = Leftovers::settle(copies, file.get());
    } else {
        outcome.error = file.isOpen() ? EBUSY : errno;
        outcome.copy = FileLocation::shownFolder(copies.front().folder) + u'/' + QFile::decodeName(copies.front().name);
    }
    if (!outcome.restored && !outcome.error)
        return {};
    return RuntimeError(RuntimeError::Kind::SaveInterrupted, name)
            .withErrno(outcome.error)
            .withPreviousKept(outcome.restored && !outcome.error)
            .withBackup(outcome.copy);
}

void FileReplacer::fail(int error, bool previousKept, const QString &backup) const
{
    throw RuntimeError(RuntimeError::Kind::FileNotWritten, m_name)
            .withErrno(error)
            .withPreviousKept(previousKept)
            .withBackup(backup);
}
