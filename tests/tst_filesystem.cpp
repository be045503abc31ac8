// SPDX-License-Identifier: GPL-3.0-or-later
// The volumes of a mount table.
#include "filesystem/mounttable.h"

#include "row.h"

#include <QTemporaryDir>
#include <QTest>

class FilesystemTest : public QObject
{
    Q_OBJECT

private slots:
    // Lines of /proc/self/mountinfo, "@" standing for a folder that exists; the volumes as the list names them.
    void volumes_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QStringList>("offered");
        const QByteArray root = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
        row("an empty first line; escaped blank, digits, optional fields",
            "\n" + root + "2 1 8:2 / @/a\\040b\\134123 rw shared:1 master:2 - ext4 /dev/b rw\n",
            QStringList { "/", "@/a b\\123" });
        row("no root line: one volume", QByteArray("2 1 8:2 / @ rw - ext4 /dev/b rw"), QStringList { "/", "@" });
        row("kernel and memory file systems",
            root + "2 1 0:5 / @ rw - tmpfs tmpfs rw\n3 1 0:6 / /proc rw - proc proc rw\n", QStringList { "/" });
        row("the last mount at a point", root + "2 1 0:5 / @ rw - tmpfs t rw\n3 1 8:3 / @ rw - ext4 /dev/c rw\n",
            QStringList { "/", "@" });
        row("network, unseen, offered", root + "2 1 0:7 / /nowhere/net rw - nfs4 h:/x rw\n",
            QStringList { "/", "/nowhere/net" });
        row("local, unseen, not offered", root + "2 1 8:4 / /nowhere/disk rw - ext4 /dev/d rw\n", QStringList { "/" });
        row("disks in a system folder and on it",
            root + "2 1 8:6 / /dev/pts rw - ext4 /dev/f rw\n3 1 8:7 / /dev rw - ext4 /dev/g rw\n", QStringList { "/" });
        row("no source", root + "2 1 8:2 / @ rw - ext4\n", QStringList { "/", "@" });
        row("no dash, no mount", root + "2 1 8:5 / @ rw ext4 /dev/e\n", QStringList { "/" });
        row("disks by their labels",
            root + "2 1 8:2 / @ rw - ext4 /dev/null rw\n3 1 8:3 / @/a\\040b\\134123 rw - ext4 /dev/zero\n",
            QStringList { "/", "@ [USB BELLEK]", "@/a b\\123 [a\\xZZÜ]" });
    }
    void volumes()
    {
        QFETCH(QByteArray, table);
        QFETCH(QStringList, offered);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("a b\\123/../labels");
        QFile::link("/dev/null", dir.filePath("labels/USB\\x20BELLEK")); // as udev writes a blank
        QFile::link("/dev/zero", dir.filePath("labels/a\\xZZ\\xc3\\x9c"));
        const MountTable mounts = MountTable::parse(table.replace("@", dir.path().toUtf8()), dir.filePath("labels"));
        QStringList roots;
        for (const Volume &volume : mounts.offered())
            roots << volume.text;
        QCOMPARE(roots, offered.replaceInStrings("@", dir.path()));
    }
};

QTEST_MAIN(FilesystemTest)
#include "tst_filesystem.moc"
