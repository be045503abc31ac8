// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystem/volumes.h"

#include "filesystem/mounttable.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
// The table is read again only when it has changed: the kernel flags an open
// /proc/self/mountinfo with POLLPRI after every mount and unmount in the
// process's namespace. Filling the drive list, finding a drive's folder and
// finding a folder's volume thus share one reading, whatever the number of
// volumes, and still see every volume that came or went before them.
std::shared_ptr<const MountTable> table()
{
    static const int watch = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    static std::shared_ptr<const MountTable> held;
    // revents stays clear where nothing changed, and for a watch that did
    // not open.
    pollfd change { watch, POLLPRI, {} };
    ::poll(&change, 1, 0);
    if (!held || (change.revents & (POLLPRI | POLLERR)))
        held = std::make_shared<const MountTable>(MountTable::read());
    return held;
}

QHash<QString, QByteArray> &currentFolders()
{
    static QHash<QString, QByteArray> folders;
    return folders;
}

QString &chosenStartFolder()
{
    static QString folder;
    return folder;
}
}

QString Volumes::startFolder()
{
    return chosenStartFolder().isEmpty() ? QDir::currentPath() : chosenStartFolder();
}

void Volumes::setStartFolder(const QString &folder)
{
    chosenStartFolder() = folder;
}

Volume Volumes::of(const QString &path)
{
    return of(QFile::encodeName(QDir::fromNativeSeparators(path)));
}

Volume Volumes::of(const QByteArray &path)
{
    return table()->of(path);
}

QList<Volume> Volumes::list()
{
    const std::shared_ptr<const MountTable> mounts = table();
    QList<Volume> volumes = mounts->offered();
    // The start folder's volume is offered whatever its kind (while the
    // folder exists).
    const Volume start = mounts->of(QFile::encodeName(startFolder()));
    const auto at = std::lower_bound(volumes.begin(), volumes.end(), start,
                                     [](const Volume &a, const Volume &b) { return a.root < b.root; });
    if (!start.root.isEmpty() && (at == volumes.end() || at->root != start.root))
        volumes.insert(at, start);
    return volumes;
}

QByteArray Volumes::folderForDriveText(const QString &text)
{
    for (const Volume &volume : list()) {
        if (volume.text != text)
            continue;
        const auto remembered = currentFolders().constFind(volume.root);
        if (remembered != currentFolders().constEnd())
            return remembered.value();
        return QFile::encodeName(volume.root == of(startFolder()).root ? startFolder() : volume.root);
    }
    return {};
}

void Volumes::remember(const QByteArray &folder)
{
    currentFolders().insert(of(folder).root, folder);
}
