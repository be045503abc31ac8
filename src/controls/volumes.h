// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The volumes the drive list offers, and the folder that is current on each:
// the folder last opened on it in this process, at first the working folder
// on the working folder's volume and the root on the others.
class Volumes
{
public:
    struct Volume
    {
        QString root; // mount point, native separators
        QString text; // what the drive list shows: the mount point and its label
    };

    // Mounted volumes that hold real file systems and are ready, sorted by
    // mount point; the working folder's volume is always among them.
    static QList<Volume> list();
    static Volume of(const QString &path);

    // The current folder of the volume whose drive text is text; empty when
    // text names no volume.
    static QString folderForDriveText(const QString &text);
    static void remember(const QString &folder);

private:
    static Volume describe(const class QStorageInfo &storage);
};
