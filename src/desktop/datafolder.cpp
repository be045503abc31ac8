// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/datafolder.h"

#include "errors/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The program's own place: PREFIX/bin/hizli, whose example list is
// PREFIX/share/hizli/data.txt, however the tree was staged or moved.
QString programFolder()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

void makeFolders(const QString &folder)
{
    QString made;
    for (const QString &part : folder.split(u'/', Qt::SkipEmptyParts)) {
        made += u'/' + part;
        if (::mkdir(QFile::encodeName(made).constData(), 0700) != 0 && errno != EEXIST)
            throw RuntimeError(RuntimeError::Kind::FolderNotMade, made).withErrno(errno);
    }
}

// Copied under another name first, then linked into place: the list
// appears whole or not at all, and one that appeared meanwhile stays.
void copyExample(const QString &example)
{
    QFile from(example);
    if (!from.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = from.read(1 << 20);
    char part[] = ".data.txt.XXXXXX";
    const int fd = ::mkostemp(part, O_CLOEXEC);
    if (fd < 0)
        return;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (written)
        (void)!::link(part, "data.txt");
    ::unlink(part);
}
}

QString DataFolder::path()
{
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = QDir::isAbsolutePath(home) ? home : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/hizli"));
}

QString DataFolder::exampleList()
{
    const QString example = QDir::cleanPath(programFolder() + QStringLiteral("/../share/hizli/data.txt"));
    return QFileInfo(example).isFile() ? example : QString();
}

void DataFolder::enter()
{
    const QString folder = path();
    makeFolders(folder);
    if (::chdir(QFile::encodeName(folder).constData()) != 0)
        throw RuntimeError(RuntimeError::Kind::FolderNotMade, folder).withErrno(errno);
    struct stat st;
    const QString example = exampleList();
    // A dangling link counts as a list too: it is the user's, not ours to replace.
    if (::lstat("data.txt", &st) != 0 && errno == ENOENT && !example.isEmpty())
        copyExample(example);
}
