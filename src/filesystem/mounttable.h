// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesystem/volume.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// The kernel's table of mounts as the drive list sees it: the mount at each
// mount point (the last one there), the volume that holds a folder, and the
// volumes worth offering, read in one pass in time linear in its size.
class MountTable
{
public:
    static MountTable read();
    // The table's text, /proc/self/mountinfo's form: a line a mount, its
    // fields ID, parent ID, device number, root, mount point, options, any
    // optional fields, a lone "-", type and source, with a blank, a tab, a new
    // line or a backslash in a field written as \ooo. Disks are named by the
    // links of labelFolder, udev's /dev/disk/by-label, where one is given.
    static MountTable parse(const QByteArray &text, const QString &labelFolder = {});

    // The volume of a path as the file system names it.
    Volume of(const QByteArray &path) const;
    // The volumes to offer, sorted by mount point, without regard to the
    // working folder.
    const QList<Volume> &offered() const;

private:
    struct Mount
    {
        QString point;
        QByteArray type;
        QByteArray source;
    };

    static std::optional<Mount> parseLine(QByteArrayView line);
    Volume describe(const Mount &mount) const;

    QList<Mount> m_mounts;
    QHash<QString, qsizetype> m_byPoint; // the mount seen at each mount point: the last one there
    QHash<QString, QString> m_labels;
    mutable std::optional<QList<Volume>> m_offered;
};
