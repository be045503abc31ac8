// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesystem/volume.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The volumes the drive list offers, and the folder that is current on each:
// the folder last opened on it in this process, at first the start folder
// on the start folder's volume and the root on the others. The lists start
// in the start folder: the working folder, unless the program chose another.
//
// Every answer comes from one reading of the mount table, read again only
// after a volume came or went: the drive list, a drive's folder and a
// folder's volume cost one reading between them, in time linear in the
// number of mounts.
class Volumes
{
public:
    // Mounted volumes that hold real file systems, sorted by mount point;
    // the start folder's volume is always among them.
    static QList<Volume> list();
    // The volume that holds path; empty when path does not exist.
    static Volume of(const QString &path);
    // The same for a path as the file system names it, whatever its bytes.
    static Volume of(const QByteArray &path);

    // The current folder of the volume whose drive text is text, as the file
    // system names it; empty when text names no volume.
    static QByteArray folderForDriveText(const QString &text);
    static void remember(const QByteArray &folder);

    static QString startFolder();
    static void setStartFolder(const QString &folder);
};
