// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/datafolder.h"

#include "errors/runtimeerror.h"
#include "files/descriptor.h"
#include "files/leftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using Error = RuntimeError;

// As the kernel's own limit on links in one lookup.
constexpr int maxLinks = 40;
// Only looked up in and entered, so a folder that may be searched but not
// read (mode --x) is on the way like any other.
constexpr int folderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The program's own place: PREFIX/bin/hizli, whose example list is
// PREFIX/share/hizli/data.txt, however the tree was staged or moved.
QString programFolder()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString joined(const QString &folder, const QByteArray &name)
{
    return QDir::cleanPath(folder + u'/' + QFile::decodeName(name));
}

// One name at a time from the root, so that the kernel follows no link: a
// link is followed only where the user or root put it, and what the walk
// checked is what is entered, however the names change meanwhile.
Descriptor openFolder(const QString &folder)
{
    const auto notMade = [&folder](int error) { return Error(Error::File { Error::FolderNotMade, folder, error }); };
    QList<QByteArray> pending = QFile::encodeName(folder).split('/');
    Descriptor at(::open("/", folderFlags));
    QString reached = QStringLiteral("/");
    int links = 0;
    while (at.isOpen() && !pending.isEmpty()) {
        const QByteArray name = pending.takeFirst();
        if (name.isEmpty() || name == ".")
            continue;
        Descriptor next(::openat(at.get(), name.constData(), folderFlags));
        struct stat st;
        if (!next.isOpen() && errno == ENOENT) {
            // Made by root in a user's home, the folder would be closed to
            // that user, and so would what the user's programs keep there.
            if (::geteuid() == 0 && ::fstat(at.get(), &st) == 0 && st.st_uid != 0)
                throw Error(Error::Owner { Error::FolderNotMadeInOthers, folder, st.st_uid, joined(reached, name) });
            if (::mkdirat(at.get(), name.constData(), 0700) != 0 && errno != EEXIST)
                throw notMade(errno);
            next.reset(::openat(at.get(), name.constData(), folderFlags));
        }
        if (!next.isOpen()) {
            const int error = errno;
            const Descriptor link(::openat(at.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
            if (!link.isOpen() || ::fstat(link.get(), &st) != 0 || !S_ISLNK(st.st_mode))
                throw notMade(error);
            if (st.st_uid != ::geteuid() && st.st_uid != 0) {
                throw Error(Error::Owner { Error::FolderBehindLink, folder, st.st_uid, joined(reached, name) });
            }
            QByteArray text(PATH_MAX, '\0');
            const ssize_t length = ::readlinkat(link.get(), "", text.data(), size_t(text.size()));
            if (length < 0 || ++links > maxLinks)
                throw notMade(length < 0 ? errno : ELOOP);
            text.resize(length);
            pending = text.split('/') + pending;
            if (text.startsWith('/')) {
                at.reset(::open("/", folderFlags));
                reached = QStringLiteral("/");
            }
            continue;
        }
        at = std::move(next);
        reached = joined(reached, name);
    }
    if (!at.isOpen())
        throw notMade(errno);
    return at;
}

// Copied under a save's temporary name first, then linked into place: the
// list appears whole or not at all, and one that appeared meanwhile stays.
// A copy killed halfway leaves its temporary, which goes as a save's does.
void copyExample(const QString &example)
{
    QFile from(example);
    if (!from.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = from.read(1 << 20);
    QByteArray part;
    const Descriptor file = Leftovers::create(AT_FDCWD, Leftovers::temporaryPrefix("data.txt"), 0600, &part);
    const bool copied = file.isOpen() && Descriptor::writeAll(file.get(), bytes.constData(), bytes.size(), 0)
            && ::fsync(file.get()) == 0 && (::link(part.constData(), "data.txt") == 0 || errno == EEXIST);
    const int error = errno;
    if (file.isOpen())
        ::unlink(part.constData());
    if (!copied)
        throw Error(Error::File { Error::FileNotWritten, QStringLiteral("data.txt"), error });
}
}

QString DataFolder::path()
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = QDir::isAbsolutePath(data) ? data : home() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/hizli"));
}

QString DataFolder::home()
{
    QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home)) {
        const passwd *user = ::getpwuid(::geteuid());
        home = user ? QFile::decodeName(user->pw_dir) : QString();
    }
    return QDir::isAbsolutePath(home) ? QDir::cleanPath(home) : QStringLiteral("/");
}

QString DataFolder::exampleList()
{
    const QString example = QDir::cleanPath(programFolder() + QStringLiteral("/../share/hizli/data.txt"));
    return QFileInfo(example).isFile() ? example : QString();
}

void DataFolder::enter()
{
    const QString folder = path();
    const Descriptor entered = openFolder(folder);
    struct stat st;
    if (::fstat(entered.get(), &st) != 0)
        throw Error(Error::File { Error::FolderNotMade, folder, errno });
    if (st.st_uid != ::geteuid())
        throw Error(Error::Owner { Error::FolderOfAnother, folder, st.st_uid });
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        throw Error(Error::File { Error::FolderOpenToOthers, folder });
    if (::fchdir(entered.get()) != 0)
        throw Error(Error::File { Error::FolderNotMade, folder, errno });
    Leftovers::tidy(AT_FDCWD, "data.txt", false);
    const QString example = exampleList();
    // A dangling link counts as a list too: it is the user's, not ours to replace.
    if (::lstat("data.txt", &st) != 0 && errno == ENOENT && !example.isEmpty())
        copyExample(example);
}
