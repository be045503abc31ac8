// SPDX-License-Identifier: GPL-3.0-or-later
// What the picker's file list shows of one folder, for a pattern.
#include "controls/filelistbox.h"
#include <QTemporaryDir>
#include <QTest>
class FileListRows : public QObject
{
    Q_OBJECT
private slots:
    void shows_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("programs in any case, executables") << "*.EXE" << QStringList{"a.Exe", "B.EXE", "c.exe", "kur", "link"};
        QTest::newRow("every file") << "*.*" << QStringList{"a.Exe", "B.EXE", "c.exe", "kur", "link", "not.EXE.txt", "veri"};
        QTest::newRow("two globs, one character") << "*.TXT; ?ur" << QStringList{"kur", "not.EXE.txt"};
    }
    void shows()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, shown);
        QTemporaryDir dir;
        for (const char *name : {"veri", "c.exe", "B.EXE", "not.EXE.txt", "a.Exe", "kur", ".gizli"})
            QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
        for (const char *name : {"kur", ".gizli"}) // the execute right alone makes a program
            QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::ExeOwner);
        QFile::link(dir.filePath("kur"), dir.filePath("link"));
        // Neither a hidden program, nor a folder or a broken link named as programs.
        QFile::link(dir.filePath("yok.exe"), dir.filePath("kırık.exe"));
        QDir(dir.path()).mkdir("klasör.exe");
        FileListBox files;
        files.setPattern(pattern);
        files.setPath(dir.path());
        for (int i = 0; i < files.count(); ++i)
            QCOMPARE(files.item(i)->text(), shown.value(i));
        QCOMPARE(files.count(), shown.size());
    }
};
QTEST_MAIN(FileListRows)
#include "tst_filelist_rows.moc"
