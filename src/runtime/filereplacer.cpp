// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/filereplacer.h"

#include "runtime/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

bool writable(const QString &folder)
{
    return ::access(native(folder).constData(), W_OK | X_OK) == 0;
}

bool writeAll(int fd, const QByteArray &bytes, off_t offset)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Extended attributes carry the ACL (system.posix_acl_access) and whatever
// else the desktop or the security module keeps on the file.
bool copyAttributes(const QByteArray &from, int to)
{
    const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    QByteArray names(size, '\0');
    if (::listxattr(from.constData(), names.data(), size_t(size)) != size)
        return false;
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t length = ::getxattr(from.constData(), name.constData(), nullptr, 0);
        QByteArray value(qMax<ssize_t>(length, 0), '\0');
        if (length < 0 || ::getxattr(from.constData(), name.constData(), value.data(), size_t(length)) != length
            || ::fsetxattr(to, name.constData(), value.constData(), size_t(length), 0) != 0)
            return false;
    }
    return true;
}

// A temporary file beside path, or in folder when given; its name is
// returned through path.
int createBeside(QString *path, const QString &suffix)
{
    QByteArray name = native(*path + suffix + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        *path = QFile::decodeName(name);
    return fd;
}

}

FileReplacer::FileReplacer(QString name, bool followLinks)
    : m_name(std::move(name))
    , m_followLinks(followLinks)
{
}

// The file whose content changes: a link's target where links are
// followed, the name itself otherwise.
QString FileReplacer::target() const
{
    if (!m_followLinks)
        return QFileInfo(m_name).absoluteFilePath();
    char resolved[PATH_MAX];
    if (::realpath(native(m_name).constData(), resolved))
        return QFile::decodeName(resolved);
    const QFileInfo info(m_name);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

void FileReplacer::check() const
{
    const QString path = target();
    struct stat st;
    const bool exists = ::lstat(native(path).constData(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode))
            fail(EISDIR, false);
        if (m_followLinks && !S_ISREG(st.st_mode)) {
            throw RuntimeError(RuntimeError::Kind::NotRegularFile, m_name,
                               S_ISFIFO(st.st_mode)  ? RuntimeError::Pipe
                               : S_ISSOCK(st.st_mode) ? RuntimeError::Socket
                                                      : RuntimeError::Device);
        }
        if (S_ISREG(st.st_mode) && (writable(folderOf(path)) || ::access(native(path).constData(), W_OK) == 0))
            return;
    }
    if (!writable(folderOf(path)))
        fail(errno, exists && S_ISREG(st.st_mode));
}

void FileReplacer::commit()
{
    check();
    const QString path = target();
    struct stat st;
    const bool regular = ::lstat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
    if (!regular) {
        replaceWhole(path, nullptr);
        return;
    }
    // Every name of a hard-linked file must see the new list, so it is
    // never replaced, only rewritten.
    if (st.st_nlink == 1 && replaceWhole(path, &st))
        return;
    writeInPlace(path);
}

// False, with nothing changed, where the new file could not be made to be
// what the old one is.
bool FileReplacer::replaceWhole(const QString &path, const struct stat *old)
{
    QString temporary = folderOf(path) + u'/' + u'.' + QFileInfo(path).fileName();
    const int fd = createBeside(&temporary, QStringLiteral(".hizli"));
    if (fd < 0) {
        if (old)
            return false;
        fail(errno, false);
    }
    const QByteArray name = native(temporary);
    auto abandon = [&] {
        ::close(fd);
        ::unlink(name.constData());
    };
    if (old) {
        const bool kept = ::fchown(fd, old->st_uid, old->st_gid) == 0;
        // The permission bits go first: an ACL copied after them sets the
        // group class to the old mask again.
        if (!kept || ::fchmod(fd, old->st_mode & 07777) != 0 || !copyAttributes(native(path), fd)) {
            abandon();
            return false;
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (!writeAll(fd, m_bytes, 0) || ::fsync(fd) != 0) {
        const int error = errno;
        abandon();
        fail(error, old != nullptr);
    }
    ::close(fd);
    if (::rename(name.constData(), native(path).constData()) != 0) {
        const int error = errno;
        ::unlink(name.constData());
        fail(error, old != nullptr);
    }
    const int folder = ::open(native(folderOf(path)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void FileReplacer::writeInPlace(const QString &path)
{
    const QString backup = makeBackup(path);
    const int fd = ::open(native(path).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        QFile::remove(backup);
        fail(error, true);
    }
    if (!writeAll(fd, m_bytes, 0) || ::ftruncate(fd, off_t(m_bytes.size())) != 0 || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fail(error, false, QDir::toNativeSeparators(backup));
    }
    ::close(fd);
    QFile::remove(backup);
}

// The old content, kept until the new bytes are on disk: beside the file,
// or in the user's cache folder where the file's folder takes no new file.
QString FileReplacer::makeBackup(const QString &path)
{
    QString backup = QFileInfo(path).fileName();
    if (writable(folderOf(path))) {
        backup = folderOf(path) + u'/' + u'.' + backup;
    } else {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                              + QStringLiteral("/hizli");
        QDir().mkpath(cache);
        backup = cache + u'/' + backup;
    }
    const int to = createBeside(&backup, QStringLiteral(".yedek"));
    const int from = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    bool copied = to >= 0 && from >= 0;
    char buffer[65536];
    off_t offset = 0;
    for (ssize_t n; copied && (n = ::read(from, buffer, sizeof buffer)) != 0; offset += n) {
        copied = n > 0 && writeAll(to, QByteArray::fromRawData(buffer, n), offset);
    }
    copied = copied && ::fsync(to) == 0;
    const int error = errno;
    if (from >= 0)
        ::close(from);
    if (to >= 0)
        ::close(to);
    if (!copied) {
        if (to >= 0)
            QFile::remove(backup);
        fail(error, true);
    }
    return backup;
}

void FileReplacer::fail(int error, bool previousKept, const QString &backup) const
{
    throw RuntimeError(RuntimeError::Kind::FileNotWritten, m_name)
        .withErrno(error)
        .withPreviousKept(previousKept)
        .withBackup(backup);
}
