// SPDX-License-Identifier: GPL-3.0-or-later
// Numbered files, read and written only as regular files; a save that keeps what the file is.
#include "fixture.h"
#include "row.h"

#include "errors/runtimeerror.h"
#include "files/filetable.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

using Kind = RuntimeError::Kind;
Q_DECLARE_METATYPE(RuntimeError::Kind)
using Mode = FileTable::Mode;
Q_DECLARE_METATYPE(FileTable::Mode)

class FilesTest : public Fixture
{
    Q_OBJECT

private slots:
    void openFails_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("error");
        row("input, a pipe", "pipe", Mode::Input, Kind::NotRegularFile, 0);
        row("output, a pipe", "pipe", Mode::Output, Kind::NotRegularFile, 0);
        row("append, a link refused", "link", Mode::Append, Kind::NotRegularFile, 0);
        row("input, a link refused", "link", Mode::Input, Kind::NotRegularFile, 0);
        row("input, no file", "", Mode::Input, Kind::FileNotFound, 0);
        row("output, a link to itself", "loop", Mode::Output, Kind::FileNotWritten, ELOOP);
        row("input, a folder of that name", "folder", Mode::Input, Kind::FileNotOpened, EISDIR);
        row("output, a folder of that name", "folder", Mode::Output, Kind::FileNotWritten, EISDIR);
        row("input, unreadable file", "unreadable", Mode::Input, Kind::FileNotOpened, EACCES);
        row("output, read-only folder", "read-only", Mode::Output, Kind::FileNotWritten, EACCES);
        row("append, read-only folder", "read-only", Mode::Append, Kind::FileNotWritten, EACCES);
        // Found only as the list is closed: no temporary name fits beside the link's target.
        row("output, link to a name too long", "long target", Mode::Output, Kind::FileNotWritten, ENAMETOOLONG);
        row("output, link into a missing folder", "gone/f.txt", Mode::Output, Kind::FileNotWritten, ENOENT);
        row("output, root's file in a sticky shared folder", "sticky", Mode::Output, Kind::FileOfAnother, 0);
    }
    void openFails()
    {
        QFETCH(QString, setup);
        QFETCH(Mode, mode);
        QFETCH(Kind, kind);
        QFETCH(int, error);
        if (setup == "folder")
            QVERIFY(QDir().mkdir("f.txt"));
        if (setup == "pipe")
            QCOMPARE(mkfifo("f.txt", 0600), 0);
        if (setup == "link")
            write("target.txt", "kept"), QFile::link("target.txt", "f.txt");
        if (setup == "long target" || setup == "loop" || setup.contains('/'))
            QFile::link(setup == "loop" ? "f.txt" : setup.contains('/') ? setup : QString(250, 't'), "f.txt");
        if (setup == "unreadable" || setup == "read-only") {
            SKIP_IF_PRIVILEGED();
            write("f.txt", "old");
            QFile::setPermissions(path("f.txt"), setup == "unreadable" ? QFile::WriteOwner : QFile::ReadOwner);
            if (setup == "read-only")
                QFile::setPermissions(path("."), QFile::ReadOwner | QFile::ExeOwner);
        }
        if (setup == "sticky") {
            if (!privileged())
                QSKIP("only root can leave a file for another user to meet");
            write("f.txt", "kept");
            QCOMPARE(::chmod(".", 01777), 0);
        }
        std::optional<RuntimeError> e;
        std::thread([&] {
            if (setup == "sticky")
                ::syscall(SYS_setresuid, -1, 65534, -1); // this thread alone becomes another user
            e = raised([&] {
                const bool refuse = setup == "link" || setup == "sticky";
                FileTable::open(3, "f.txt", mode, refuse ? FileTable::Links::Refuse : FileTable::Links::Follow);
                FileTable::close(3);
            });
        }).join();
        QVERIFY(e);
        QCOMPARE(e->kind(), kind);
        QCOMPARE(e->number(), int(setup == "pipe" ? RuntimeError::Pipe : setup == "link" ? RuntimeError::Link : 0));
        QCOMPARE(e->subject(), QString("f.txt"));
        QCOMPARE(e->subjectIsFolder(), setup == "folder");
        QCOMPARE(e->error(), error);
        QCOMPARE(e->previousKept(), setup == "read-only" && mode == Mode::Output);
        QVERIFY(!FileTable::isOpen(3));
        if (setup == "read-only")
            QCOMPARE(read("f.txt"), QByteArray("old"));
        if (setup == "link")
            QCOMPARE(read("target.txt"), QByteArray("kept"));
        if (setup == "sticky")
            QCOMPARE(read("f.txt"), QByteArray("kept"));
        QCOMPARE(QDir().entryList({ ".*" }, QDir::Files | QDir::Hidden | QDir::System),
                 QStringList()); // no temporary left
    }

    // A save changes the content and nothing else about the file.
    void saveKeepsWhatTheFileIs_data()
    {
        QTest::addColumn<QString>("setup");
        row("symbolic link to the list by its whole path", "symbolic link");
        row("second hard link", "hard link");
        row("mode and extended attribute", "attributes");
        row("folder takes no new file", "read-only folder");
        // XDG_CACHE_HOME must be absolute; the copy goes to ~/.cache instead.
        row("folder takes no new file, relative cache variable", "read-only folder, relative");
        row("saved by root for its owner", "other owner");
    }
    void saveKeepsWhatTheFileIs()
    {
        QFETCH(QString, setup);
        if (setup.startsWith("read-only folder"))
            SKIP_IF_PRIVILEGED();
        const QByteArray home = qgetenv("HOME");
        if (setup.endsWith("relative"))
            qputenv("XDG_CACHE_HOME", "cache"), qputenv("HOME", path("home").toUtf8());
        if (setup == "other owner" && !privileged())
            QSKIP("only root can give a file to another user");
        QDir().mkdir("lists");
        write("lists/real.txt", "old");
        QString list = "lists/real.txt";
        if (setup == "symbolic link")
            QFile::link(path("lists/real.txt"), "lists/data.txt"), list = "lists/data.txt";
        if (setup == "hard link")
            QCOMPARE(::link(path("lists/real.txt").toUtf8(), path("lists/data.txt").toUtf8()), 0);
        const QByteArray real = path("lists/real.txt").toUtf8();
        if (setup == "attributes") {
            QCOMPARE(::chmod(real, 0640), 0);
            if (::setxattr(real, "user.hizli", "kept", 4, 0) != 0)
                QSKIP("this file system keeps no user attributes");
        }
        if (setup == "other owner")
            QCOMPARE(::chown(real, 65534, 65534), 0);
        if (setup.startsWith("read-only folder"))
            QFile::setPermissions(path("lists"), QFile::ReadOwner | QFile::ExeOwner);
        struct stat before;
        ::stat(real, &before);
        QVERIFY(QDir::setCurrent("lists"));
        FileTable::open(1, setup == "hard link" || setup == "symbolic link" ? "data.txt" : "real.txt", Mode::Output);
        FileTable::writeRecord(1, { "new" });
        FileTable::close(1);
        qputenv("HOME", home);
        QVERIFY(QDir::setCurrent(".."));
        QFile::setPermissions(path("lists"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(read("lists/real.txt"), QByteArray("\"new\"\r\n"));
        QCOMPARE(read(list), QByteArray("\"new\"\r\n"));
        QCOMPARE(QFileInfo(path("lists/data.txt")).isSymLink(), setup == "symbolic link");
        struct stat after;
        ::stat(real, &after);
        // A file of one link is replaced whole by a rename; a hard link, or one in a closed folder, is rewritten.
        const bool rewritten = setup == "hard link" || setup.startsWith("read-only folder");
        QCOMPARE(std::tuple(after.st_mode, after.st_uid, after.st_gid, after.st_ino == before.st_ino),
                 std::tuple(before.st_mode, before.st_uid, before.st_gid, rewritten));
        char value[8] = {};
        QCOMPARE(::getxattr(real, "user.hizli", value, sizeof value), setup == "attributes" ? 4 : -1);
        QCOMPARE(QDir("lists").entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 setup.contains("link") ? 2 : 1);
        const QString cache = setup.endsWith("relative") ? "home/.cache/hizli" : "cache/hizli";
        QCOMPARE(QDir(cache).exists(), setup.startsWith("read-only folder"));
        QCOMPARE(QDir(cache).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_MAIN(FilesTest)
#include "tst_files.moc"
