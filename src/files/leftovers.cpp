// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/leftovers.h"

#include "files/filelocation.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr char copyMark[] = ".hizli-yedek.";
constexpr int suffixSize = 6;

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
// where it is someone else's to keep (locked, or not a plain file).
Descriptor orphan(int folder, const QByteArray &name, struct stat *st)
{
    Descriptor file(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen() || ::fstat(file.get(), st) != 0 || !S_ISREG(st->st_mode)
        || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0 || !stillNamed(folder, name, file.get()))
        return {};
    return file;
}

// Reads up to size bytes at offset, fewer only at the end of the file;
// false on a read error.
bool readAt(int fd, QByteArray *buffer, qint64 size, off_t offset)
{
    buffer->resize(qsizetype(size));
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer->data() + done, size_t(size - done), offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += n;
    }
    buffer->resize(qsizetype(done));
    return true;
}

constexpr qint64 chunk = 1 << 16;

QByteArray hashOfStart(int fd, qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer;
    for (qint64 offset = 0; offset < size; offset += buffer.size()) {
        if (!readAt(fd, &buffer, qMin(chunk, size - offset), off_t(offset)) || buffer.isEmpty())
            return {};
        hash.addData(buffer);
    }
    return hash.result().left(8).toHex();
}

bool sameContent(int a, int b)
{
    struct stat sa;
    struct stat sb;
    if (::fstat(a, &sa) != 0 || ::fstat(b, &sb) != 0 || sa.st_size != sb.st_size)
        return false;
    QByteArray ba;
    QByteArray bb;
    for (off_t offset = 0; offset < sa.st_size; offset += ba.size()) {
        if (!readAt(a, &ba, chunk, offset) || !readAt(b, &bb, chunk, offset) || ba != bb || ba.isEmpty())
            return false;
    }
    return true;
}

bool parseCopy(const QByteArray &name, quint64 *device, quint64 *inode, qint64 *size, QByteArray *hash)
{
    const qsizetype mark = name.lastIndexOf(copyMark);
    if (!name.startsWith('.') || mark < 0)
        return false;
    const QList<QByteArray> parts = name.mid(mark + qsizetype(sizeof copyMark) - 1).split('.');
    const QList<QByteArray> fields = parts.value(0).split('-');
    if (parts.size() != 2 || parts.at(1).size() != suffixSize || fields.size() != 4 || fields.at(3).size() != 16)
        return false;
    bool ok[3];
    *device = fields.at(0).toULongLong(&ok[0]);
    *inode = fields.at(1).toULongLong(&ok[1]);
    *size = fields.at(2).toLongLong(&ok[2]);
    *hash = fields.at(3);
    return ok[0] && ok[1] && ok[2] && *size >= 0;
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
        // file for an orphan and remove it: then it is made again.
        if (::flock(file.get(), LOCK_EX | LOCK_NB) == 0 && stillNamed(folder, *name, file.get()))
            return file;
    }
    errno = EEXIST;
    return {};
}

QByteArray Leftovers::temporaryPrefix(const QByteArray &leaf)
{
    return '.' + leaf + ".hizli.";
}

QByteArray Leftovers::copyPrefix(const QByteArray &leaf, const struct stat &target, const QByteArray &content)
{
    const QByteArray hash = QCryptographicHash::hash(content, QCryptographicHash::Sha256).left(8).toHex();
    return '.' + leaf + copyMark + QByteArray::number(quint64(target.st_dev)) + '-'
            + QByteArray::number(quint64(target.st_ino)) + '-' + QByteArray::number(content.size()) + '-' + hash + '.';
}

void Leftovers::tidy(int folder, const QByteArray &leaf)
{
    const QByteArray prefix = temporaryPrefix(leaf);
    for (const QByteArray &name : namesIn(folder)) {
        struct stat st;
        if (name.startsWith(prefix) && name.size() == prefix.size() + suffixSize && orphan(folder, name, &st).isOpen())
            remove(folder, name);
    }
}

std::vector<Leftovers::Copy> Leftovers::copiesOf(const struct stat &target, int targetFolder, int cache)
{
    std::vector<Copy> copies;
    struct stat a;
    struct stat b;
    const bool cacheIsFolder =
            cache >= 0 && ::fstat(cache, &a) == 0 && ::fstat(targetFolder, &b) == 0 && sameInode(a, b);
    for (const int folder : { targetFolder, cacheIsFolder ? -1 : cache }) {
        if (folder < 0)
            continue;
        for (const QByteArray &name : namesIn(folder)) {
            Copy copy { folder, name, {}, 0, {} };
            quint64 device;
            quint64 inode;
            if (!parseCopy(name, &device, &inode, &copy.size, &copy.hash) || inode != quint64(target.st_ino))
                continue;
            struct stat st;
            copy.file = orphan(folder, name, &st);
            // Device numbers may change from one boot to the next; a copy
            // beside the file is on its file system whatever its number.
            const bool sameDevice =
                    device == quint64(target.st_dev) || (folder == targetFolder && st.st_dev == target.st_dev);
            // Only a copy its own user (or root) made may become the list.
            if (copy.file.isOpen() && sameDevice && (st.st_uid == ::geteuid() || st.st_uid == 0))
                copies.push_back(std::move(copy));
        }
    }
    return copies;
}

Leftovers::Outcome Leftovers::settle(std::vector<Copy> &copies, int target)
{
    Outcome outcome;
    for (Copy &copy : copies) {
        struct stat st;
        bool whole;
        if (hashOfStart(target, copy.size) == copy.hash) {
            // The new content is all there; only its length may be missing.
            whole = ::fstat(target, &st) == 0 && (st.st_size == copy.size || ::ftruncate(target, copy.size) == 0)
                    && ::fsync(target) == 0;
        } else if (sameContent(copy.file.get(), target)) {
            whole = true; // the write never began
        } else {
            whole = copyContent(copy.file.get(), target);
            outcome.restored = outcome.restored || whole;
        }
        if (whole) {
            remove(copy.folder, copy.name);
        } else {
            outcome.error = errno ? errno : EIO;
            outcome.copy = FileLocation::shownFolder(copy.folder) + u'/' + QString::fromLocal8Bit(copy.name);
        }
    }
    return outcome;
}

bool Leftovers::copyContent(int from, int to)
{
    QByteArray buffer;
    off_t offset = 0;
    for (;; offset += buffer.size()) {
        if (!readAt(from, &buffer, chunk, offset))
            return false;
        if (buffer.isEmpty())
            break;
        if (!Descriptor::writeAll(to, buffer.constData(), buffer.size(), offset))
            return false;
    }
    return ::ftruncate(to, offset) == 0 && ::fsync(to) == 0;
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
