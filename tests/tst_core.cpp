// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include "runtime/datafolder.h"
#include "runtime/filetable.h"
#include "runtime/form.h"
#include "runtime/messages.h"
#include "runtime/processstarter.h"
#include "runtime/runtime.h"
#include "runtime/runtimeerror.h"
#include "store/handoff.h"
#include "store/shortcutlist.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using Kind = RuntimeError::Kind;
using Mode = FileTable::Mode;
Q_DECLARE_METATYPE(RuntimeError::Kind)
Q_DECLARE_METATYPE(FileTable::Mode)

namespace {
template <typename F>
RuntimeError raised(F &&operation)
{
    try {
        operation();
    } catch (const RuntimeError &error) {
        return error;
    }
    return RuntimeError(Kind::FileNotOpen, QStringLiteral("<nothing raised>"), -1);
}

class CountingForm : public Form
{
public:
    int loads = 0;

protected:
    void Form_Load() override { ++loads; }
};
}

class CoreTest : public Fixture
{
    Q_OBJECT

private slots:
    void openFails_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("error");
        QTest::newRow("input, a pipe") << "pipe" << Mode::Input << Kind::NotRegularFile << 0;
        QTest::newRow("output, a pipe") << "pipe" << Mode::Output << Kind::NotRegularFile << 0;
        QTest::newRow("append, a link refused") << "link" << Mode::Append << Kind::NotRegularFile << 0;
        QTest::newRow("input, a link refused") << "link" << Mode::Input << Kind::NotRegularFile << 0;
        QTest::newRow("input, no file") << "" << Mode::Input << Kind::FileNotFound << 0;
        QTest::newRow("input, a folder of that name") << "folder" << Mode::Input << Kind::FileNotOpened << EISDIR;
        QTest::newRow("output, a folder of that name") << "folder" << Mode::Output << Kind::FileNotWritten << EISDIR;
        QTest::newRow("input, unreadable file") << "unreadable" << Mode::Input << Kind::FileNotOpened << EACCES;
        QTest::newRow("output, read-only folder") << "read-only" << Mode::Output << Kind::FileNotWritten << EACCES;
        QTest::newRow("append, read-only folder") << "read-only" << Mode::Append << Kind::FileNotWritten << EACCES;
        // Found only as the list is closed: no temporary name fits beside the link's target.
        QTest::newRow("output, link to a name too long") << "long target" << Mode::Output << Kind::FileNotWritten << ENAMETOOLONG;
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
        if (setup == "long target")
            QFile::link(QString(250, 't'), "f.txt");
        if (setup == "unreadable" || setup == "read-only") {
            SKIP_IF_PRIVILEGED();
            write("f.txt", "old");
            QFile::setPermissions(path("f.txt"), setup == "unreadable" ? QFile::WriteOwner : QFile::ReadOwner);
            if (setup == "read-only")
                QFile::setPermissions(path("."), QFile::ReadOwner | QFile::ExeOwner);
        }
        const RuntimeError e = raised([&] {
            FileTable::open(3, "f.txt", mode, setup == "link" ? FileTable::Links::Refuse : FileTable::Links::Follow);
            FileTable::close(3);
        });
        QCOMPARE(e.kind(), kind);
        QCOMPARE(e.number(), setup == "pipe" ? int(RuntimeError::Pipe) : setup == "link" ? int(RuntimeError::Link) : 0);
        QCOMPARE(e.subject(), QString("f.txt"));
        QCOMPARE(e.subjectIsFolder(), setup == "folder");
        QCOMPARE(e.error(), error);
        QCOMPARE(e.previousKept(), setup == "read-only" && mode == Mode::Output);
        QVERIFY(!FileTable::isOpen(3));
        if (setup == "read-only")
            QCOMPARE(read("f.txt"), QByteArray("old"));
        if (setup == "link")
            QCOMPARE(read("target.txt"), QByteArray("kept"));
        QCOMPARE(QDir().entryList({".*"}, QDir::Files | QDir::Hidden | QDir::System), QStringList()); // no temporary left
    }

    void fileNumbers()
    {
        write("data.txt", list({}, 8) + "\"only a caption\"");
        ShortcutList::openForReading();
        RuntimeError e = raised([] { FileTable::open(1, "other.txt", Mode::Output); });
        QCOMPARE(e.kind(), Kind::FileAlreadyOpen);
        QCOMPARE(e.number(), 1);
        for (int k = 1; k <= 8; ++k)
            QCOMPARE(ShortcutList::readEntry(), (ShortcutEntry{QString("c%1").arg(k), QString("p%1").arg(k)}));
        e = raised([] { ShortcutList::readEntry(); });
        QCOMPARE(e.kind(), Kind::InputPastEnd);
        QCOMPARE(e.subject(), QString("data.txt"));
        QCOMPARE(e.number(), 18);
        ShortcutList::close();
        QCOMPARE(raised([] { FileTable::readField(1); }).kind(), Kind::FileNotOpen);
        QVERIFY(!QFile::exists("other.txt"));

        // A field longer than any list holds ends the read, however long the file.
        write("data.txt", "\"a\",\"" + QByteArray(65536, 'x') + "\"\r\n" + QByteArray(1 << 22, 'y'));
        ShortcutList::openForReading();
        QCOMPARE(ShortcutList::readEntry().path.size(), 65536);
        e = raised([] { ShortcutList::readEntry(); });
        QCOMPARE(e.kind(), Kind::FieldTooLong);
        QCOMPARE(e.number(), 3);
        ShortcutList::close();

        // A list whose reading fails is no short list.
        QFile::remove("data.txt");
        QFile::link("/proc/self/mem", "data.txt");
        ShortcutList::openForReading();
        e = raised([] { ShortcutList::readEntry(); });
        QCOMPARE(e.kind(), Kind::FileNotRead);
        QCOMPARE(e.error(), EIO);
    }

    // The new list replaces the old one only once it is written whole.
    void saveIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("caption5");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("error");
        QTest::newRow("written") << "new, 5" << "" << Kind::FileNotOpen << 0;
        QTest::newRow("field the list cannot hold") << "a\"b" << "" << Kind::FieldNotStorable << 0;
        QTest::newRow("read-only list, read-only folder") << "new" << "read-only folder, list 0444" << Kind::FileNotWritten << EACCES;
        QTest::newRow("write-only list: no copy to keep") << "new" << "read-only folder, list 0200" << Kind::FileNotWritten << EACCES;
        QTest::newRow("another launcher's save holds the folder") << "new" << "folder locked" << Kind::FileBusy << 0;
        QTest::newRow("no cache folder for the copy") << "new" << "read-only folder, list 0600, cache under a file" << Kind::CacheNotMade << ENOTDIR;
        // The old content goes back at once, as when a disk fills.
        QTest::newRow("in place, file size limit reached") << "new" << "hard link, size limit" << Kind::FileNotWritten << EFBIG;
    }
    void saveIsAllOrNothing()
    {
        QFETCH(QString, caption5);
        QFETCH(QString, setup);
        QFETCH(Kind, kind);
        QFETCH(int, error);
        write("data.txt", "old");
        QDir().mkdir("cache"); // while the folder still takes one
        if (setup.contains("cache under a file"))
            write("file", ""), qputenv("XDG_CACHE_HOME", path("file/cache").toUtf8());
        if (setup.startsWith("read-only folder")) {
            SKIP_IF_PRIVILEGED();
            QFile::setPermissions(path("."), QFile::ReadOwner | QFile::ExeOwner);
            QCOMPARE(::chmod("data.txt", mode_t(setup.mid(setup.indexOf("list ") + 5, 4).toInt(nullptr, 8))), 0);
        }
        const int folder = ::open(".", O_RDONLY);
        if (setup == "folder locked")
            QCOMPARE(::flock(folder, LOCK_EX), 0);
        rlimit limit;
        ::getrlimit(RLIMIT_FSIZE, &limit);
        if (setup.contains("size limit")) {
            QCOMPARE(::link("data.txt", "other.txt"), 0);
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit small = {30, limit.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ShortcutList::Entries entries;
        for (int k = 1; k <= 9; ++k)
            entries[k - 1] = {k == 5 ? caption5 : QString("c%1").arg(k), QString("p%1").arg(k)};
        const RuntimeError e = raised([&] { FilePlace now; ShortcutList::write(entries, ShortcutList::place(), &now); });
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::close(folder);
        ::chmod("data.txt", 0600);
        QCOMPARE(read("data.txt"), kind == Kind::FileNotOpen ? list({"c1", "p1", "c2", "p2", "c3", "p3", "c4", "p4", "new, 5", "p5"}) : QByteArray("old"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QString(setup.contains("hard link") ? "data.txt other.txt" : setup.contains("file") ? "data.txt file" : "data.txt").split(' '));
        QCOMPARE(QDir("cache/hizli").entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(e.error(), error);
        QCOMPARE(e.kind(), kind);
        QCOMPARE(e.previousKept(), kind == Kind::FileNotWritten || kind == Kind::CacheNotMade);
        QCOMPARE(e.place(), kind == Kind::CacheNotMade ? path("file/cache/hizli") : QString());
        QCOMPARE(e.character(), QString(caption5.contains('"') ? "\"" : ""));
        QVERIFY(!FileTable::isOpen(1));
    }

    // Every step of a save goes from the folder it opened, so no path grows
    // past what the system takes, however deep the folder.
    void saveInTheDeepestFolders_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("hardLink");
        QTest::newRow("a temporary's path past PATH_MAX") << PATH_MAX - 12 << false;
        QTest::newRow("in place, beyond PATH_MAX") << PATH_MAX + 800 << true;
    }
    void saveInTheDeepestFolders()
    {
        QFETCH(int, depth);
        QFETCH(bool, hardLink);
        QStringList names;
        for (int length = int(QDir::currentPath().size()); length < depth; length += int(names.last().size()) + 1) {
            names << QString(qMin(250, depth - length - 1), QChar(char16_t(u'a' + names.size() % 26)));
            QVERIFY(::mkdir(names.last().toUtf8(), 0700) == 0 && ::chdir(names.last().toUtf8()) == 0);
        }
        QCOMPARE(::close(::open("data.txt", O_CREAT | O_WRONLY, 0600)) == 0 && (!hardLink || ::link("data.txt", "other.txt") == 0), true);
        ShortcutList::Entries entries;
        const RuntimeError e = raised([&] { FilePlace now; ShortcutList::write(entries, ShortcutList::place(), &now); });
        char bytes[80] = {};
        const int fd = ::open(hardLink ? "other.txt" : "data.txt", O_RDONLY);
        const QByteArray written(bytes, ::read(fd, bytes, sizeof bytes));
        ::close(fd);
        QStringList left;
        DIR *dir = ::opendir(".");
        while (const dirent *entry = ::readdir(dir))
            left << entry->d_name;
        ::closedir(dir);
        ::unlink("data.txt"), ::unlink("other.txt");
        for (qsizetype i = names.size() - 1; i >= 0; --i)
            QVERIFY(::chdir("..") == 0 && ::rmdir(names.at(i).toUtf8()) == 0);
        QCOMPARE(e.kind(), Kind::FileNotOpen); // nothing raised
        QCOMPARE(written, QByteArray("\"\",\"\"\r\n").repeated(9));
        left.sort();
        QCOMPARE(left, QString(hardLink ? ". .. data.txt other.txt" : ". .. data.txt").split(' '));
    }

    // A save changes the content and nothing else about the file.
    void saveKeepsWhatTheFileIs_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("symbolic link to the list") << "symbolic link";
        QTest::newRow("second hard link") << "hard link";
        QTest::newRow("mode and extended attribute") << "attributes";
        QTest::newRow("folder takes no new file") << "read-only folder";
        // XDG_CACHE_HOME must be absolute; the copy goes to ~/.cache instead.
        QTest::newRow("folder takes no new file, relative cache variable") << "read-only folder, relative";
        QTest::newRow("saved by root for its owner") << "other owner";
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
            QFile::link("real.txt", "lists/data.txt"), list = "lists/data.txt";
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
        FileTable::writeRecord(1, {"new"});
        FileTable::close(1);
        qputenv("HOME", home);
        QVERIFY(QDir::setCurrent(".."));
        QFile::setPermissions(path("lists"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(read("lists/real.txt"), QByteArray("\"new\"\r\n"));
        QCOMPARE(read(list), QByteArray("\"new\"\r\n"));
        QCOMPARE(QFileInfo(path("lists/data.txt")).isSymLink(), setup == "symbolic link");
        struct stat after;
        ::stat(real, &after);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        char value[8] = {};
        QCOMPARE(::getxattr(real, "user.hizli", value, sizeof value), setup == "attributes" ? 4 : -1);
        QCOMPARE(QDir("lists").entryList(QDir::Files | QDir::Hidden | QDir::System).size(), setup.contains("link") ? 2 : 1);
        const QString cache = setup.endsWith("relative") ? "home/.cache/hizli" : "cache/hizli";
        QCOMPARE(QDir(cache).exists(), setup.startsWith("read-only folder"));
        QCOMPARE(QDir(cache).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // What a save killed at any moment left is settled at the next start:
    // the list is whole again, and only a running save's files stay.
    void recovery_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("fresh"); // what the save was writing
        QTest::addColumn<QString>("where");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("restored");
        const QByteArray old = "\"old one\",\"o1\"\r\n\"old two\",\"o2\"\r\n";
        QTest::newRow("torn") << QByteArray("\"n\",\"n\"\r\n\"torn") << QByteArray("\"n\",\"n\"\r\n\"new\"\r\n") << "folder" << old << true;
        QTest::newRow("torn, copy in the cache") << QByteArray("\"n\",\"n\"\r\n\"torn") << QByteArray("\"m\"") << "cache" << old << true;
        QTest::newRow("written, length not yet set") << "\"new\"\r\n" + old.mid(9) << QByteArray("\"new\"\r\n") << "folder" << QByteArray("\"new\"\r\n") << false;
        QTest::newRow("written") << QByteArray("\"new\"\r\n") << QByteArray("\"new\"\r\n") << "cache" << QByteArray("\"new\"\r\n") << false;
        QTest::newRow("never begun") << old << QByteArray("\"new\"\r\n") << "folder" << old << false;
        QTest::newRow("a running save's copy") << QByteArray("\"n") << QByteArray("\"new\"") << "held" << QByteArray("\"n") << false;
        QTest::newRow("another file's copy") << QByteArray("\"n") << QByteArray("\"new\"") << "other" << QByteArray("\"n") << false;
    }
    void recovery()
    {
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, fresh);
        QFETCH(QString, where);
        QFETCH(QByteArray, expected);
        QFETCH(bool, restored);
        write("data.txt", list);
        QDir().mkpath("cache/hizli");
        struct stat st;
        ::stat("data.txt", &st);
        const QString copy = QString(where == "cache" ? "cache/hizli/" : "") + ".data.txt.hizli-yedek." + QString::number(st.st_dev) + '-'
                             + QString::number(st.st_ino + (where == "other")) + '-' + QString::number(fresh.size()) + '-'
                             + QCryptographicHash::hash(fresh, QCryptographicHash::Sha256).left(8).toHex() + ".Ab12Cd";
        write(copy, "\"old one\",\"o1\"\r\n\"old two\",\"o2\"\r\n");
        for (const char *temporary : {".data.txt.hizli.Ab12Cd", ".sil.txt.hizli.Ab12Cd", "cache/hizli/.data.txt.hizli.Ab12Cd"})
            write(temporary, "part");
        const int held = ::open(".data.txt.hizli.Ab12Cd", O_RDONLY), heldCopy = ::open(copy.toUtf8(), O_RDONLY);
        if (where == "held")
            QVERIFY(::flock(held, LOCK_EX) == 0 && ::flock(heldCopy, LOCK_EX) == 0);
        const std::optional<RuntimeError> notice = ShortcutList::recover();
        ::close(held), ::close(heldCopy);
        QCOMPARE(read("data.txt"), expected);
        QCOMPARE(notice.has_value(), restored);
        QVERIFY(!restored || (notice->kind() == Kind::SaveInterrupted && notice->previousKept() && notice->backup().isEmpty()));
        QCOMPARE(QFile::exists(copy), where == "held" || where == "other");
        QStringList left = QDir().entryList(QDir::Files | QDir::Hidden) + QDir("cache/hizli").entryList(QDir::Files | QDir::Hidden);
        left.removeAll(QFileInfo(copy).fileName());
        QCOMPARE(left, QStringList(where == "held" ? QStringList{".data.txt.hizli.Ab12Cd", "data.txt"} : QStringList{"data.txt"}));
    }

    void endDropsUnfinishedOutput()
    {
        write("data.txt", "old");
        FileTable::open(1, "data.txt", Mode::Output);
        FileTable::writeRecord(1, {"new"});
        FileTable::open(2, "sil.txt", Mode::Append);
        FileTable::writeRecord(2, {"kept"});
        Runtime::end(0);
        QCOMPARE(read("data.txt"), QByteArray("old"));
        QCOMPARE(read("sil.txt"), QByteArray("\"kept\"\r\n"));
        QCOMPARE(endStatus, 0);
    }

    // The hand-off file belongs to the launcher that asked: its own new
    // file, whatever stood there, and a choice only into that file and row.
    void handOff_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<int>("refusedRow"); // -1: the choice is taken
        QTest::addColumn<QByteArray>("after");
        const QByteArray asked = "\"13\"\r\n";
        const QByteArray chosen = asked + "\"A, B\",\"/x y/A, B\"\r\n";
        QTest::newRow("symbolic link in its place") << "symbolic link" << "" << -1 << chosen;
        QTest::newRow("hard link to a file of the user's") << "hard link" << "" << -1 << chosen;
        QTest::newRow("another user's file") << "another user's" << "" << -1 << chosen;
        QTest::newRow("another launcher asked since") << "" << "another launcher" << 7 << QByteArray("\"15\"\r\n");
        QTest::newRow("target line edited in place") << "" << "edited" << 7 << QByteArray("\"02\"\r\n\"A, B\",\"/x y/A, B\"\r\n");
        QTest::newRow("hard-linked since") << "" << "hard link" << 7 << asked;
        QTest::newRow("removed") << "" << "removed" << 7 << QByteArray("<none>");
        QTest::newRow("a browse that failed since") << "" << "failed browse" << 0 << QByteArray("<none>");
    }
    void handOff()
    {
        QFETCH(QString, before);
        QFETCH(QString, meanwhile);
        QFETCH(int, refusedRow);
        QFETCH(QByteArray, after);
        write("target.txt", "kept");
        if (before == "symbolic link")
            QFile::link("target.txt", "sil.txt");
        if (before == "hard link")
            QCOMPARE(::link("target.txt", "sil.txt"), 0);
        if (before == "another user's") {
            if (!privileged())
                QSKIP("only root can give a file to another user");
            QCOMPARE(::chown("target.txt", 65534, 65534), 0);
            QCOMPARE(::link("target.txt", "sil.txt"), 0);
        }
        HandOff::ask(7);
        const mode_t mask = ::umask(022);
        ::umask(mask);
        QCOMPARE(QFileInfo("sil.txt").permissions() & 0x7, QFile::Permissions(mask & 04 ? 0 : QFile::ReadOther));
        QCOMPARE(QFileInfo("sil.txt").ownerId(), ::geteuid());
        QVERIFY(!QFileInfo("sil.txt").isSymLink());
        QCOMPARE(read("sil.txt"), QByteArray("\"13\"\r\n"));
        if (meanwhile == "another launcher")
            write("new.txt", "\"15\"\r\n"), ::rename("new.txt", "sil.txt");
        if (meanwhile == "edited")
            write("sil.txt", "\"02\"\r\n");
        if (meanwhile == "hard link")
            QCOMPARE(::link("sil.txt", "snapshot.txt"), 0);
        if (meanwhile == "removed" || meanwhile == "failed browse")
            QFile::remove("sil.txt");
        if (meanwhile == "failed browse")
            QDir().mkdir("sil.txt"), raised([] { HandOff::ask(8); });
        const RuntimeError refused = raised([] {
            const HandOff::Choice choice = HandOff::choose("A, B", "/x y/A, B");
            QCOMPARE(choice.row, 7);
            QCOMPARE(choice.name, QString("A, B"));
            QCOMPARE(choice.path, QString("/x y/A, B"));
        });
        QCOMPARE(refused.kind(), refusedRow < 0 ? Kind::FileNotOpen : Kind::HandOffNotOurs);
        QCOMPARE(refused.number(), refusedRow);
        QCOMPARE(read("sil.txt"), after);
        QCOMPARE(read("target.txt"), QByteArray("kept"));
        QVERIFY(!FileTable::isOpen(2));
        if (refusedRow < 0) {
            const RuntimeError bad = raised([] { HandOff::choose("a\"b", "/d/a\"b"); });
            QCOMPARE(bad.kind(), Kind::ChoiceNotStorable);
            QCOMPARE(bad.subject(), QString("/d/a\"b"));
            QCOMPARE(bad.character(), QString("\""));
            QCOMPARE(read("sil.txt"), after);
        }
    }

    void messages_data()
    {
        QTest::addColumn<RuntimeError>("error");
        QTest::addColumn<QString>("text");
        const QString folder = QDir::toNativeSeparators(QDir::currentPath());
        QTest::newRow("missing list") << RuntimeError(Kind::FileNotFound, "data.txt")
            << "\"data.txt\" dosyası \"@\" klasöründe bulunamadı.\n\nHızlı bu dosyayı başlatıldığı klasörde arar. Dosyayı bu klasöre koyun ya da Hızlı'yı dosyanın bulunduğu klasörden başlatın. Masaüstü menüsünden başlatılan Hızlı listesini \"/veri/hizli\" klasöründe tutar.";
        QTest::newRow("data folder not made") << RuntimeError(Kind::FolderNotMade, "/veri/hizli").withErrno(ENOTDIR)
            << "Hızlı listesinin klasörü \"/veri/hizli\" açılamadı: yoldaki bir ad klasör değil, bir dosya.\n\nBu klasörü oluşturup kendinize yazma izni verin ya da Hızlı'yı listenizin bulunduğu klasörden başlatın.";
        QTest::newRow("short list") << RuntimeError(Kind::InputPastEnd, "data.txt", 17)
            << "\"data.txt\" dosyası \"@\" klasöründe eksik: 17. alan okunacakken dosya bitti.\n\nDosyayı bir metin düzenleyicide açıp eksik kayıtları tamamlayın.";
        QTest::newRow("read error") << RuntimeError(Kind::FileNotRead, "data.txt", 1).withErrno(EIO)
            << "\"data.txt\" dosyası \"@\" klasöründe 1. alan okunurken okunamadı: giriş/çıkış hatası (disk ya da aygıt yanıt vermedi).\n\nDosyanın bulunduğu diskin ya da aygıtın erişilebilir olduğunu denetleyip yeniden deneyin.";
        QTest::newRow("unreadable") << RuntimeError(Kind::FileNotOpened, "data.txt").withErrno(EACCES)
            << "\"data.txt\" dosyası \"@\" klasöründe açılamadı: erişim izni yok.\n\nBu adın okunabilir bir dosya olduğunu denetleyin.";
        QTest::newRow("read-only file system") << RuntimeError(Kind::FileNotWritten, "data.txt").withErrno(EROFS).withPreviousKept(true)
            << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: dosya sistemi salt okunur.\n\nDosya sistemini yazılabilir olarak bağlayın ya da listeyi yazılabilir bir klasöre taşıyıp Hızlı'yı oradan başlatın. Dosyanın önceki içeriği olduğu gibi duruyor.";
        QTest::newRow("no cache folder") << RuntimeError(Kind::CacheNotMade, "data.txt").withErrno(ENOTDIR).withPlace("/h/.cache/hizli").withPreviousKept(true)
            << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: klasör yeni dosya almadığı için önceki içeriğin kopyası \"/h/.cache/hizli\" klasörüne konacaktı, ama bu klasör oluşturulamadı: yoldaki bir ad klasör değil, bir dosya.\n\nBu klasörün oluşturulabildiğini (XDG_CACHE_HOME ayarlıysa gösterdiği yeri) denetleyip yeniden deneyin. Dosyanın önceki içeriği olduğu gibi duruyor.";
        QTest::newRow("torn list restored") << RuntimeError(Kind::SaveInterrupted, "data.txt").withPreviousKept(true)
            << "\"data.txt\" listesinin \"@\" klasöründeki son kaydı yarıda kalmıştı: Hızlı liste yazılırken kapandı. Liste, o kayıttan önce alınan tam kopyadan eski hâline getirildi; o kayıttaki değişiklikler listede yok.\n\nGerekirse değişiklikleri Ayarlar penceresinde yeniden yapıp kaydedin.";
        QTest::newRow("torn list not restored") << RuntimeError(Kind::SaveInterrupted, "data.txt").withErrno(EROFS).withBackup("/c/.data.txt.hizli-yedek.1")
            << "\"data.txt\" listesinin \"@\" klasöründeki son kaydı yarıda kalmıştı ve liste eski hâline getirilemedi: dosya sistemi salt okunur. Listenin o kayıttan önceki tam bir kopyası \"/c/.data.txt.hizli-yedek.1\" dosyasında duruyor.\n\nBu kopyayı \"data.txt\" dosyasının yerine koyun; Hızlı bir sonraki başlangıçta da yeniden dener.";
        QTest::newRow("save held by another") << RuntimeError(Kind::FileBusy, "data.txt")
            << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: dosya şu anda başka bir Hızlı ya da başka bir program tarafından yazılıyor.\n\nBirkaç saniye sonra yeniden kaydedin. Dosyanın önceki içeriği olduğu gibi duruyor.";
        QTest::newRow("root, another user's link") << RuntimeError(Kind::LinkNotFollowed, "data.txt", 65534).withPlace("/home/x/data.txt")
            << "\"data.txt\" dosyası \"@\" klasörüne yazılamadı: bu ad, başka bir kullanıcının (nobody, kimlik 65534) \"/home/x/data.txt\" sembolik bağlantısından geçiyor. Yönetici (root) olarak çalışan Hızlı, başka kullanıcıların bağlantılarından geçerek yazmaz.\n\nListeyi o kullanıcının hesabından kaydedin ya da bağlantının yerine sıradan bir dosya koyun. Dosyanın önceki içeriği olduğu gibi duruyor.";
        QTest::newRow("hand-off file not ours") << RuntimeError(Kind::HandOffNotOurs, "sil.txt", 7)
            << "Program seçilmedi: \"sil.txt\" dosyası \"@\" klasöründe artık bu pencerenin 7. satır için yazdığı dosya değil; aynı klasörde çalışan başka bir Hızlı ya da başka bir program onu değiştirmiş. Hiçbir satır değişmedi.\n\n7. satırın \"Gözat\" düğmesine yeniden basıp programı yeniden seçin.";
        QTest::newRow("no row waiting") << RuntimeError(Kind::HandOffNotOurs, "sil.txt", 0)
            << "Program seçilmedi: hiçbir satır program beklemiyor, çünkü son \"Gözat\" tamamlanamadı. Hiçbir satır değişmedi.\n\nProgramı koymak istediğiniz satırın \"Gözat\" düğmesine yeniden basın.";
        QTest::newRow("disk full") << RuntimeError(Kind::FileNotWritten, "sil.txt").withErrno(ENOSPC)
            << "\"sil.txt\" dosyası \"@\" klasörüne yazılamadı: diskte yer kalmadı.\n\nDiskte yer açıp yeniden deneyin.";
        QTest::newRow("no permission") << RuntimeError(Kind::FileNotWritten, "sil.txt").withErrno(EPERM)
            << "\"sil.txt\" dosyası \"@\" klasörüne yazılamadı: erişim izni yok.\n\nKlasöre ve dosyaya yazma izniniz olduğunu denetleyip yeniden deneyin.";
        QTest::newRow("socket") << RuntimeError(Kind::NotRegularFile, "data.txt", RuntimeError::Socket)
            << "\"data.txt\" dosyası \"@\" klasöründe açılamadı: bu ad bir soket, sıradan bir dosya değil.\n\nHızlı bu adla yalnızca sıradan bir dosyayı okur ve yazar. Bu adı taşıyanı kaldırıp yerine bir metin dosyası koyun.";
        QTest::newRow("caption box") << RuntimeError(Kind::BoxNotStorable, {}, 3).withCharacter("\"")
            << "Liste kaydedilmedi: 2. satırın \"Başlık\" kutusunda listede saklanamayan bir karakter var: \"\"\" (U+0022).\n\nBu karakteri silip yeniden kaydedin.";
        QTest::newRow("path box") << RuntimeError(Kind::BoxNotStorable, {}, 18).withCharacter("\n")
            << "Liste kaydedilmedi: 9. satırın \"Yol\" kutusunda listede saklanamayan bir karakter var: satır sonu.\n\nBu karakteri silip yeniden kaydedin.";
        QTest::newRow("path box too long") << RuntimeError(Kind::BoxTooLong, {}, 4)
            << "Liste kaydedilmedi: 2. satırın \"Yol\" kutusundaki metin 65536 karakterden uzun.\n\nMetni kısaltıp yeniden kaydedin.";
        QTest::newRow("chosen file") << RuntimeError(Kind::ChoiceNotStorable, "/d/日.sh").withCharacter("日")
            << "Program seçilmedi: \"/d/日.sh\" dosyasının adında ya da yolunda listede saklanamayan bir karakter var: \"日\" (U+65E5).\n\nProgramı bu karakteri içermeyen bir ada ya da klasöre taşıyıp yeniden seçin.";
        QTest::newRow("empty command line") << RuntimeError(Kind::StartFailed, "  ")
            << "Program başlatılamadı: bu kısayolun yolu boş.\n\nAyarlar penceresinde bu kısayola bir program seçin.";
        QTest::newRow("command line") << RuntimeError(Kind::StartFailed, "nothing -x")
            << "Program başlatılamadı:\nnothing -x\n\nBu komut satırı çalıştırılabilir bir program adıyla başlamıyor ya da program çalıştırılamadı (\"@\" klasöründen başlatıldı). Ayarlar penceresinde bu kısayolun yolunu düzeltin.";
        QTest::newRow("program gone") << RuntimeError(Kind::ProgramMissing, "/d/My Tool/run")
            << "Program başlatılamadı: \"/d/My Tool/run\" yok ya da çalıştırılabilir bir program değil.\n\nProgram kaldırılmış, taşınmış ya da bulunduğu sürücü çıkarılmış olabilir. Ayarlar penceresinde bu kısayolun yolunu düzeltin.";
        QTest::newRow("missing folder") << RuntimeError(Kind::FolderNotRead, "/media/x").withErrno(ENOENT)
            << "\"/media/x\" klasörü okunamadı: böyle bir klasör yok.\n\nSürücünün takılı ve erişilebilir olduğunu denetleyip yeniden deneyin ya da başka bir klasör seçin.";
        QTest::newRow("closed folder") << RuntimeError(Kind::FolderNotRead, ".").withErrno(EACCES)
            << "\".\" klasörü okunamadı: erişim izni yok.\n\nSürücünün takılı ve erişilebilir olduğunu denetleyip yeniden deneyin ya da başka bir klasör seçin.";
    }
    void messages()
    {
        QFETCH(RuntimeError, error);
        QFETCH(QString, text);
        qputenv("XDG_DATA_HOME", "/veri");
        QCOMPARE(Messages::text(error), text.replace("@", error.folder()));
    }

    // A relative or empty XDG_DATA_HOME counts as unset.
    void dataFolder_data()
    {
        QTest::addColumn<QByteArray>("dataHome");
        QTest::addColumn<QString>("folder");
        QTest::newRow("absolute") << QByteArray("/veri/") << "/veri/hizli";
        QTest::newRow("relative") << QByteArray("veri") << QDir::homePath() + "/.local/share/hizli";
        QTest::newRow("empty") << QByteArray() << QDir::homePath() + "/.local/share/hizli";
    }
    void dataFolder()
    {
        QFETCH(QByteArray, dataHome);
        QFETCH(QString, folder);
        qputenv("XDG_DATA_HOME", dataHome);
        QCOMPARE(DataFolder::path(), folder);
    }

    void resolves_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("missing");
        QTest::newRow("folder with blanks, arguments") << "@/my tools/run me  -x  y" << "@/my tools/run me" << QStringList{"-x", "y"} << "";
        QTest::newRow("longest run of words wins") << "@/a b c" << "@/a b" << QStringList{"c"} << "";
        QTest::newRow("tabs separate words") << "@/a\tb" << "@/a" << QStringList{"b"} << "";
        QTest::newRow("bare name never from the working folder") << "a x" << "" << QStringList{} << "";
        QTest::newRow("leading blanks skipped") << "  @/a  x" << "@/a" << QStringList{"x"} << "";
        QTest::newRow("relative path") << "./a --x" << "@/a" << QStringList{"--x"} << "";
        QTest::newRow("bare name on PATH") << "sh -c true" << "/usr/bin/sh" << QStringList{"-c", "true"} << "";
        QTest::newRow("one-letter name on PATH") << "[ 1 = 1 ]" << "/usr/bin/[" << QStringList{"1", "=", "1", "]"} << "";
        QTest::newRow("quotation marks group words") << "\"@/my tools/run me\" \"a b\"" << "@/my tools/run me" << QStringList{"a b"} << "";
        QTest::newRow("document is no program") << "@/doc.txt" << "" << QStringList{} << "";
        QTest::newRow("missing program") << "@/nothing here" << "" << QStringList{} << "";
        QTest::newRow("blanks only") << "   " << "" << QStringList{} << "";
        // The program in "a c" is gone; "a" is not started with the rest as arguments.
        QTest::newRow("a removed program's prefix") << "@/a c/run x" << "" << QStringList{} << "@/a c/run";
        QTest::newRow("a folder in a program's place") << "@/a c" << "" << QStringList{} << "@/a c";
    }
    void resolves()
    {
        QFETCH(QString, line);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, missing);
        QDir().mkdir("my tools");
        QDir().mkdir("a c");
        writeProgram("a");
        writeProgram("a b");
        writeProgram("my tools/run me");
        write("doc.txt", "text");
        const ProcessStarter::Command command = ProcessStarter::resolve(line.replace("@", QDir::currentPath()));
        QCOMPARE(command.program, program.replace("@", QDir::currentPath()));
        QCOMPARE(command.arguments, arguments);
        QCOMPARE(command.missing, missing.replace("@", QDir::currentPath()));
    }

    void starts()
    {
        writeProgram("prog");
        ProcessStarter::start("./prog İş  x");
        QCOMPARE(started(), path("prog") + "|İş|x|");
        const RuntimeError e = raised([] { ProcessStarter::start("./missing x"); });
        QCOMPARE(e.kind(), Kind::StartFailed);
        QCOMPARE(e.subject(), QString("./missing x"));
        QDir().mkdir("prog x");
        const RuntimeError gone = raised([] { ProcessStarter::start("./prog x/gone"); });
        QCOMPARE(std::pair(gone.kind(), gone.subject()), std::pair(Kind::ProgramMissing, QString("./prog x/gone")));
    }

    void longLinesShownShortened()
    {
        const QString line = "/bin/" + QString(100000, u'x') + " end";
        const QString shown = Runtime::displayText("Program başlatılamadı:\n\r" + line);
        QCOMPARE(shown.split('\n').first(), QString("Program başlatılamadı:"));
        QVERIFY(shown.split('\n').last().startsWith("/bin/xx"));
        QVERIFY(shown.endsWith("xx end"));
        QVERIFY(shown.split('\n').last().size() <= Runtime::maxLineLength && shown.contains(" … "));
    }

    void runReportsAndEnds()
    {
        Runtime::run([] { throw RuntimeError(Kind::FileNotFound, "data.txt"); });
        QCOMPARE(prompts, QStringList{Messages::text(RuntimeError(Kind::FileNotFound, "data.txt"))});
        QCOMPARE(titles, QStringList{"Hızlı"});
        QCOMPARE(endStatus, 1);
        Runtime::run([] { QFAIL("a handler ran after the end"); });
    }

    void formLifetime()
    {
        auto &form = Form::single<CountingForm>();
        Runtime::run([&] { static_cast<QWidget &>(form).show(); });
        QCOMPARE(form.loads, 1);
        QCOMPARE(endStatus, -1);
        form.hide();
        form.show();
        QCOMPARE(form.loads, 1);
        QVERIFY(form.close());
        QCOMPARE(endStatus, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(Form::single<CountingForm>().loads, 0);
    }
};

QTEST_MAIN(CoreTest)
#include "tst_core.moc"
