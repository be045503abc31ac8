// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/leftovers.h"

#include "files/filelocation.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr char journalMark[] = ".hizli-gunluk.";
// An earlier version kept the old content alone, with the new one's size
// and hash in the name.
constexpr char copyMark[] = ".hizli-yedek.";
constexpr int suffixSize = 6;
// Far beyond any list; a journal holds two.
constexpr qint64 largest = qint64(1) << 26;

QByteArray randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(suffixSize, '\0');
    for (char &c : suffix)
        c = letters[QRandomGenerator::system()->bounded(62)];
    return suffix;
}

bool sameInode(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the name still stands for the file open on fd.
bool stillNamed(int folder, const QByteArray &name, int fd)
{
    struct stat named;
    struct stat open;
    return ::fstatat(folder, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &open) == 0
            && sameInode(named, open);
}

std::vector<QByteArray> namesIn(int folder)
{
    std::vector<QByteArray> names;
    // A description of its own, so that reading it moves no other's offset.
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    while (const dirent *entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

// A regular file of folder whose writer is gone, held locked; unopened
// where it is someone else's to keep (locked, or not a plain file). Where
// the file system has no locks, only the user's own, while the user's turn
// at the list is held, since then no save of the user's is writing it.
Descriptor orphan(int folder, const QByteArray &name, struct stat *st, bool turnHeld)
{
    Descriptor file(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen() || ::fstat(file.get(), st) != 0 || !S_ISREG(st->st_mode))
        return {};
    const bool free = ::flock(file.get(), LOCK_EX | LOCK_NB) == 0
            || (errno != EWOULDBLOCK && errno != EINTR && turnHeld && st->st_uid == ::geteuid());
    if (!free || !stillNamed(folder, name, file.get()))
        return {};
    return file;
}

// The '-' separated fields of a leftover of leaf with that mark, between
// the mark and the random suffix.
QList<QByteArray> fieldsOf(const QByteArray &name, const QByteArray &leaf, const char *mark)
{
    const QByteArray prefix = '.' + leaf + mark;
    const qsizetype end = name.size() - suffixSize - 1;
    if (!name.startsWith(prefix) || end <= prefix.size() || name.at(end) != '.')
        return {};
    return name.mid(prefix.size(), end - prefix.size()).split('-');
}

bool numbers(const QList<QByteArray> &fields, std::initializer_list<quint64 *> values)
{
    qsizetype i = 0;
    for (quint64 *value : values) {
        bool ok;
        *value = fields.value(i++).toULongLong(&ok);
        if (!ok)
            return false;
    }
    return true;
}

QByteArray shortHash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).left(8).toHex();
}

// What an interrupted write in place may leave: each byte the old or the
// new content's at its place, no shorter than the old content (the length
// is set only once the new content is whole) and no longer than either.
bool torn(const QByteArray &list, const QByteArray &old, const QByteArray &fresh)
{
    if (list.size() < old.size() || list.size() > qMax(old.size(), fresh.size()))
        return false;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if ((i >= old.size() || list.at(i) != old.at(i)) && (i >= fresh.size() || list.at(i) != fresh.at(i)))
            return false;
    }
    return true;
}

}

Descriptor Leftovers::create(int folder, const QByteArray &prefix, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = prefix + randomSuffix();
        Descriptor file(::openat(folder, name->constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!file.isOpen()) {
            if (errno == EEXIST)
                continue;
            return file;
        }
        // Between the making and the lock, another launcher may take the
        // file for an orphan and remove it: then it is made again. A file
        // system without locks refuses the lock to everyone alike.
        const bool locked = ::flock(file.get(), LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR);
        if (locked && stillNamed(folder, *name, file.get()))
            return file;
    }
    errno = EEXIST;
    return {};
}

QByteArray Leftovers::temporaryPrefix(const QByteArray &leaf)
{
    return '.' + leaf + ".hizli.";
}

QByteArray Leftovers::journalName(const QByteArray &leaf, const struct stat &folder, qint64 oldSize, qint64 newSize)
{
    return '.' + leaf + journalMark + QByteArray::number(quint64(folder.st_dev)) + '-'
            + QByteArray::number(quint64(folder.st_ino)) + '-' + QByteArray::number(oldSize) + '-'
            + QByteArray::number(newSize) + '.';
}

void Leftovers::tidy(int folder, const QByteArray &leaf, bool turnHeld)
{
    const QByteArray prefix = temporaryPrefix(leaf);
    for (const QByteArray &name : namesIn(folder)) {
        struct stat st;
        if (name.startsWith(prefix) && name.size() == prefix.size() + suffixSize
            && orphan(folder, name, &st, turnHeld).isOpen())
            remove(folder, name);
    }
}

std::vector<Leftovers::Copy> Leftovers::copiesOf(const QByteArray &leaf, int listFolder, const struct stat &here,
                                                 int cache, const struct stat &list, bool turnHeld)
{
    std::vector<Copy> copies;
    struct stat cached = {};
    const bool cacheIsFolder = cache >= 0 && ::fstat(cache, &cached) == 0 && sameInode(cached, here);
    for (const int folder : { listFolder, cacheIsFolder ? -1 : cache }) {
        if (folder < 0)
            continue;
        for (const QByteArray &name : namesIn(folder)) {
            Copy copy { folder, name, {}, -1, 0, {} };
            quint64 device;
            quint64 inode;
            quint64 sizes[2];
            bool ours;
            QList<QByteArray> fields = fieldsOf(name, leaf, journalMark);
            if (fields.size() == 4) {
                // Beside the list its place ties it to the list; in the
                // cache, the identity of the list's folder does.
                ours = numbers(fields, { &device, &inode, &sizes[0], &sizes[1] })
                        && (folder == listFolder || (device == quint64(here.st_dev) && inode == quint64(here.st_ino)));
                copy.oldSize = qint64(sizes[0]);
                copy.newSize = qint64(sizes[1]);
            } else {
                // An earlier version's copy named the list's own file.
                // Device numbers may change from one boot to the next; a
                // copy beside the list is on its file system whatever its
                // number.
                fields = fieldsOf(name, leaf, copyMark);
                ours = fields.size() == 4 && fields.at(3).size() == 16
                        && numbers(fields, { &device, &inode, &sizes[1] }) && inode == quint64(list.st_ino)
                        && (device == quint64(list.st_dev) || folder == listFolder);
                copy.newSize = qint64(sizes[1]);
                copy.hash = fields.value(3);
            }
            struct stat st;
            if (ours)
                copy.file = orphan(folder, name, &st, turnHeld);
            // Only a journal its own user (or root) made may become the list.
            if (copy.file.isOpen() && (st.st_uid == ::geteuid() || st.st_uid == 0))
                copies.push_back(std::move(copy));
        }
    }
    return copies;
}

Leftovers::Outcome Leftovers::settle(std::vector<Copy> &copies, int target, const QByteArray &leaf)
{
    Outcome outcome;
    QByteArray list;
    const bool listRead = readWhole(target, &list, largest);
    const int listError = listRead ? 0 : errno;
    for (Copy &copy : copies) {
        QByteArray journal;
        const bool legacy = copy.oldSize < 0;
        const bool read = listRead && readWhole(copy.file.get(), &journal, 2 * largest)
                && (legacy || journal.size() == copy.oldSize + copy.newSize);
        const QByteArray old = legacy ? journal : journal.left(copy.oldSize);
        const QByteArray fresh = legacy ? list.left(copy.newSize) : journal.mid(copy.oldSize);
        const bool freshKnown = legacy ? fresh.size() == copy.newSize && shortHash(fresh) == copy.hash : true;
        bool whole = read && (list == old || (freshKnown && list == fresh));
        // A list that cannot be read is tried again at the next start.
        bool failed = !listRead;
        errno = listError;
        if (read && !whole && freshKnown && list.startsWith(fresh) && old.mid(fresh.size()) == list.mid(fresh.size())) {
            // The new content is all there; only its length was not set.
            whole = ::ftruncate(target, off_t(fresh.size())) == 0 && ::fsync(target) == 0;
            failed = !whole;
            list = fresh; // a later journal is weighed against the list as this one left it
        } else if (read && !whole && !legacy && torn(list, old, fresh)) {
            whole = rewrite(target, old);
            failed = !whole;
            outcome.restored = outcome.restored || whole;
            list = old;
        }
        if (whole) {
            remove(copy.folder, copy.name);
            continue;
        }
        if (failed) {
            // The journal stays for the next try.
            outcome.error = errno ? errno : EIO;
            outcome.copy = FileLocation::shownFolder(copy.folder) + u'/' + QFile::decodeName(copy.name);
            continue;
        }
        // Written since, or not proved to be this list's: the list stays as
        // it is, and the old content, under a name no save reads again.
        const QByteArray kept = leaf + ".eski-" + copy.name.right(suffixSize);
        Descriptor writable(::openat(copy.folder, copy.name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!legacy && read && writable.isOpen())
            (void)!::ftruncate(writable.get(), off_t(copy.oldSize));
        const bool renamed =
                ::renameat2(copy.folder, copy.name.constData(), copy.folder, kept.constData(), RENAME_NOREPLACE) == 0;
        outcome.copy = FileLocation::shownFolder(copy.folder) + u'/' + QFile::decodeName(renamed ? kept : copy.name);
    }
    return outcome;
}

bool Leftovers::rewrite(int target, const QByteArray &content)
{
    return Descriptor::writeAll(target, content.constData(), content.size(), 0)
            && ::ftruncate(target, off_t(content.size())) == 0 && ::fsync(target) == 0;
}

bool Leftovers::readWhole(int fd, QByteArray *bytes, qint64 limit)
{
    bytes->clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(bytes->size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes->append(buffer, n);
        if (bytes->size() > limit) {
            errno = EFBIG;
            return false;
        }
    }
}

void Leftovers::remove(int folder, const QByteArray &name)
{
    ::unlinkat(folder, name.constData(), 0);
}

QByteArray Leftovers::cachePath()
{
    // Relative paths in the XDG variables are invalid and to be ignored.
    QByteArray base = qgetenv("XDG_CACHE_HOME");
    if (!base.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/')) {
            const passwd *user = ::getpwuid(::geteuid());
            home = user ? QByteArray(user->pw_dir) : QByteArray();
        }
        base = home + "/.cache";
    }
    return base + "/hizli";
}

Descriptor Leftovers::openCache(bool create)
{
    const QByteArray path = cachePath();
    int cause = 0;
    for (qsizetype slash = path.indexOf('/', 1); create; slash = path.indexOf('/', slash + 1)) {
        const QByteArray folder = slash < 0 ? path : path.left(slash);
        // Root makes nothing in another user's folder (a home of a user
        // whose HOME root was started with): it would be root's there.
        struct stat above;
        if (::geteuid() == 0 && ::access(folder.constData(), F_OK) != 0
            && (::stat(folder.left(folder.lastIndexOf('/') + 1).constData(), &above) != 0 || above.st_uid != 0)) {
            cause = cause ? cause : EPERM;
            break;
        }
        if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST && !cause)
            cause = errno;
        if (slash < 0)
            break;
    }
    Descriptor cache(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The reason a folder on the way could not be made is the real one.
    if (!cache.isOpen() && cause)
        errno = cause;
    return cache;
}
