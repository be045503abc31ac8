// SPDX-License-Identifier: GPL-3.0-or-later
// Numbered files, read and written only as regular files; a save that keeps what the file is.
#include "fixture.h"
#include "row.h"

#include "errors/runtimeerror.h"
#include "files/filetable.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

using E = RuntimeError;
using Mode = FileTable::Mode;
Q_DECLARE_METATYPE(FileTable::Mode)

namespace {
// What stands at the name a file is opened by,
enum Found { NoFile, Pipe, Link, SelfLink, LongLink, DanglingLink, Folder, Unreadable, ClosedFolder, StickyFolder };
// and what a saved file is and where it stands (a flag each).
enum Saved { SymbolicLink = 1, HardLink = 2, Attributes = 4, InClosedFolder = 8, RelativeCache = 16, OtherOwner = 32 };
}

class FilesTest : public Fixture
{
    Q_OBJECT

private slots:
    void openFails_data()
    {
        QTest::addColumn<int>("found");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("error");
        row("input, a pipe", Pipe, Mode::Input, E::NotRegularFile, 0);
        row("output, a pipe", Pipe, Mode::Output, E::NotRegularFile, 0);
        row("append, a link refused", Link, Mode::Append, E::NotRegularFile, 0);
        row("input, a link refused", Link, Mode::Input, E::NotRegularFile, 0);
        row("input, no file", NoFile, Mode::Input, E::FileNotFound, 0);
        row("output, a link to itself", SelfLink, Mode::Output, E::FileNotWritten, ELOOP);
        row("input, a folder of that name", Folder, Mode::Input, E::FileNotOpened, EISDIR);
        row("output, a folder of that name", Folder, Mode::Output, E::FileNotWritten, EISDIR);
        row("input, unreadable file", Unreadable, Mode::Input, E::FileNotOpened, EACCES);
        row("output, read-only folder", ClosedFolder, Mode::Output, E::FileNotWritten, EACCES);
        row("append, read-only folder", ClosedFolder, Mode::Append, E::FileNotWritten, EACCES);
        // Found only as the list is closed: no temporary name fits beside the link's target.
        row("output, link to a name too long", LongLink, Mode::Output, E::FileNotWritten, ENAMETOOLONG);
        row("output, link into a missing folder", DanglingLink, Mode::Output, E::FileNotWritten, ENOENT);
        row("output, root's file in a sticky shared folder", StickyFolder, Mode::Output, E::FileOfAnother, 0);
    }
    void openFails()
    {
        QFETCH(int, found);
        QFETCH(Mode, mode);
        QFETCH(int, kind);
        QFETCH(int, error);
        if (found == Folder)
            QVERIFY(QDir().mkdir("f.txt"));
        if (found == Pipe)
            QCOMPARE(mkfifo("f.txt", 0600), 0);
        if (found == Link) {
            write("target.txt", "kept");
            QFile::link("target.txt", "f.txt");
        }
        if (found == SelfLink || found == LongLink || found == DanglingLink)
            QFile::link(found == SelfLink ? "f.txt" : found == LongLink ? QString(250, 't') : "gone/f.txt", "f.txt");
        if (found == Unreadable || found == ClosedFolder) {
            SKIP_IF_PRIVILEGED();
            write("f.txt", "old");
            QFile::setPermissions(path("f.txt"), found == Unreadable ? QFile::WriteOwner : QFile::ReadOwner);
            if (found == ClosedFolder)
                QFile::setPermissions(path("."), QFile::ReadOwner | QFile::ExeOwner);
        }
        if (found == StickyFolder) {
            if (!privileged())
                QSKIP("only root can leave a file for another user to meet");
            write("f.txt", "kept");
            QCOMPARE(::chmod(".", 01777), 0);
        }
        std::optional<RuntimeError> e;
        std::thread([&] {
            if (found == StickyFolder)
                ::syscall(SYS_setresuid, -1, 65534, -1); // this thread alone becomes another user
            e = raised([&] {
                const bool refuse = found == Link || found == StickyFolder;
                FileTable::open(3, "f.txt", mode, refuse ? FileTable::Links::Refuse : FileTable::Links::Follow);
                FileTable::close(3);
            });
        }).join();
        QVERIFY(e);
        QCOMPARE(e->kind(), kind);
        const QMap<int, E::Standing> stands = { { Pipe, E::Pipe }, { Link, E::Link }, { Folder, E::Folder } };
        if (const E::File *file = std::get_if<E::File>(&e->data())) {
            QCOMPARE(std::tuple(file->name == "f.txt", file->standing, file->error, file->previousKept),
                     std::tuple(true, stands.value(found), error, found == ClosedFolder && mode == Mode::Output));
        }
        if (const E::Owner *other = std::get_if<E::Owner>(&e->data()))
            QCOMPARE(std::pair(other->name, other->owner), std::pair(QString("f.txt"), uid_t(0)));
        QVERIFY(!FileTable::isOpen(3));
        if (found == ClosedFolder)
            QCOMPARE(read("f.txt"), QByteArray("old"));
        if (found == Link)
            QCOMPARE(read("target.txt"), QByteArray("kept"));
        if (found == StickyFolder)
            QCOMPARE(read("f.txt"), QByteArray("kept"));
        QCOMPARE(QDir().entryList({ ".*" }, QDir::Files | QDir::Hidden | QDir::System),
                 QStringList()); // no temporary left
    }

    // A save changes the content and nothing else about the file.
    void saveKeepsWhatTheFileIs_data()
    {
        QTest::addColumn<int>("saved");
        row("symbolic link to the list by its whole path", SymbolicLink);
        row("second hard link", HardLink);
        row("mode and extended attribute", Attributes);
        row("folder takes no new file", InClosedFolder);
        // XDG_CACHE_HOME must be absolute; the copy goes to ~/.cache instead.
        row("folder takes no new file, relative cache variable", InClosedFolder | RelativeCache);
        row("saved by root for its owner", OtherOwner);
    }
    void saveKeepsWhatTheFileIs()
    {
        QFETCH(int, saved);
        if (saved & InClosedFolder)
            SKIP_IF_PRIVILEGED();
        const QByteArray home = qgetenv("HOME");
        if (saved & RelativeCache) {
            qputenv("XDG_CACHE_HOME", "cache");
            qputenv("HOME", path("home").toUtf8());
        }
        if ((saved & OtherOwner) && !privileged())
            QSKIP("only root can give a file to another user");
        QDir().mkdir("lists");
        write("lists/real.txt", "old");
        const QString list = saved & SymbolicLink ? "lists/data.txt" : "lists/real.txt";
        if (saved & SymbolicLink)
            QFile::link(path("lists/real.txt"), "lists/data.txt");
        if (saved & HardLink)
            QCOMPARE(::link(path("lists/real.txt").toUtf8(), path("lists/data.txt").toUtf8()), 0);
        const QByteArray real = path("lists/real.txt").toUtf8();
        if (saved & Attributes) {
            QCOMPARE(::chmod(real, 0640), 0);
            if (::setxattr(real, "user.hizli", "kept", 4, 0) != 0)
                QSKIP("this file system keeps no user attributes");
        }
        if (saved & OtherOwner)
            QCOMPARE(::chown(real, 65534, 65534), 0);
        if (saved & InClosedFolder)
            QFile::setPermissions(path("lists"), QFile::ReadOwner | QFile::ExeOwner);
        struct stat before;
        ::stat(real, &before);
        QVERIFY(QDir::setCurrent("lists"));
        FileTable::open(1, saved & (HardLink | SymbolicLink) ? "data.txt" : "real.txt", Mode::Output);
        FileTable::writeRecord(1, { "new" });
        FileTable::close(1);
        qputenv("HOME", home);
        QVERIFY(QDir::setCurrent(".."));
        QFile::setPermissions(path("lists"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(read("lists/real.txt"), QByteArray("\"new\"\r\n"));
        QCOMPARE(read(list), QByteArray("\"new\"\r\n"));
        QCOMPARE(QFileInfo(path("lists/data.txt")).isSymLink(), saved == SymbolicLink);
        struct stat after;
        ::stat(real, &after);
        // A file of one link is replaced whole by a rename; a hard link, or one in a closed folder, is rewritten.
        const bool rewritten = saved & (HardLink | InClosedFolder);
        QCOMPARE(std::tuple(after.st_mode, after.st_uid, after.st_gid, after.st_ino == before.st_ino),
                 std::tuple(before.st_mode, before.st_uid, before.st_gid, rewritten));
        char value[8] = {};
        QCOMPARE(::getxattr(real, "user.hizli", value, sizeof value), saved == Attributes ? 4 : -1);
        QCOMPARE(QDir("lists").entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 saved & (HardLink | SymbolicLink) ? 2 : 1);
        const QString cache = saved & RelativeCache ? "home/.cache/hizli" : "cache/hizli";
        QCOMPARE(QDir(cache).exists(), bool(saved & InClosedFolder));
        QCOMPARE(QDir(cache).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_MAIN(FilesTest)
#include "tst_files.moc"
