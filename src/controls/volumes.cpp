// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/volumes.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace {
// Kernel and memory file systems hold no files a user would start.
bool isPseudo(const QByteArray &type)
{
    static const QSet<QByteArray> pseudo = {
        "proc",      "sysfs",   "devtmpfs", "devpts",   "tmpfs",     "ramfs",   "cgroup",
        "cgroup2",   "securityfs", "debugfs", "tracefs", "configfs", "fusectl", "mqueue",
        "hugetlbfs", "pstore",  "bpf",      "autofs",   "binfmt_misc", "efivarfs", "rpc_pipefs",
        "nsfs",      "overlay-internal", "squashfs", "fuse.portal", "fuse.gvfsd-fuse",
    };
    return pseudo.contains(type);
}

QHash<QString, QString> &currentFolders()
{
    static QHash<QString, QString> folders;
    return folders;
}
}

Volumes::Volume Volumes::describe(const QStorageInfo &storage)
{
    Volume volume;
    volume.root = QDir::toNativeSeparators(storage.rootPath());
    volume.text = volume.root;
    const QString label = storage.name();
    if (!label.isEmpty() && label != volume.root)
        volume.text += QStringLiteral(" [%1]").arg(label);
    return volume;
}

Volumes::Volume Volumes::of(const QString &path)
{
    return describe(QStorageInfo(path));
}

QList<Volumes::Volume> Volumes::list()
{
    QList<Volume> volumes;
    QSet<QString> roots;
    const Volume working = of(QDir::currentPath());
    volumes.append(working);
    roots.insert(working.root);
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady() || isPseudo(storage.fileSystemType()))
            continue;
        const Volume volume = describe(storage);
        if (roots.contains(volume.root))
            continue;
        roots.insert(volume.root);
        volumes.append(volume);
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume &a, const Volume &b) { return a.root < b.root; });
    return volumes;
}

QString Volumes::folderForDriveText(const QString &text)
{
    for (const Volume &volume : list()) {
        if (volume.text != text)
            continue;
        const auto remembered = currentFolders().constFind(volume.root);
        if (remembered != currentFolders().constEnd())
            return remembered.value();
        const Volume working = of(QDir::currentPath());
        return volume.root == working.root ? QDir::toNativeSeparators(QDir::currentPath())
                                           : volume.root;
    }
    return {};
}

void Volumes::remember(const QString &folder)
{
    currentFolders().insert(of(folder).root, folder);
}
