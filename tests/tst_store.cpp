// SPDX-License-Identifier: GPL-3.0-or-later
// The list and the hand-off file: reading, saving whole or not at all, what a crash left, whose choice is handed off.
#include "fixture.h"
#include "row.h"

#include "errors/runtimeerror.h"
#include "files/descriptor.h"
#include "files/filereplacer.h"
#include "files/filetable.h"
#include "store/handoff.h"
#include "store/shortcutlist.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/fs.h>
#include <linux/seccomp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using E = RuntimeError;

namespace {
// The list before and after the save a kill cut off.
const QByteArray old = "\"old one\",\"o1\"\r\n\"old two\",\"o2\"\r\n";
const QByteArray fresh = "\"n\",\"n\"\r\n\"new\"\r\n";

// What stands in a save's way (a flag each): the folder closed to new files, the list's mode, the cache, a second
enum Setup { Plain, ClosedFolder = 1, ListReadOnly = 2, ListWriteOnly = 4, NoCache = 8, HardLink = 16, SizeLimit = 32 };
// link, the size limit; whatever refuses or holds the save.
enum Hold { Immutable = 64, TurnHeld = 128, TurnGivenUp = 256, FolderLocked = 512, NoLocks = 1024, NoFstat = 2048 };

// Where a killed save's journal waits, and what became of it and of the list since.
enum Journal { Beside, InCache = 1, Rebooted = 2, OtherFolder = 4, Held = 8, Earlier = 16, Gone = 32, Foreign = 64 };

// What stood at sil.txt before a browse, or what happened to it between the browse and the choice.
enum HandOffSetup { Fresh, SymLinked, HardLinked, OthersFile, AskedAgain, Edited, LinkedSince, Removed, BrowseFailed };

// From now on this thread's call fails with error where its fourth argument has all of flags set.
bool refuse(quint32 call, quint32 error, quint32 flags = 0)
{
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, 0, 4),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[3])),
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, flags),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, flags, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | error),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program = { 7, code };
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}
}

class StoreTest : public Fixture
{
    Q_OBJECT

private slots:
    // A reader takes the records it needs, in order; however it ends, the list is closed.
    void listReading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("taken");
        QTest::addColumn<int>("kind"); // -1: nothing raised
        QTest::addColumn<int>("number");
        row("ten records, nine read", list({}, 10), 9, -1, 0);
        row("eight records and a caption", list({}, 8) + "\"only a caption\"", 8, int(E::InputPastEnd), 18);
        // Ended at the budget of a field, however long the file.
        row("a field longer than any list holds",
            "\"c1\",\"" + QByteArray(65536, 'x') + "\"\r\n" + QByteArray(1 << 22, 'y'), 1, int(E::FieldTooLong), 3);
        row("a read error is no short list", QByteArray("/proc/self/mem"), 0, int(E::FileNotRead), 1);
    }
    void listReading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, taken);
        QFETCH(int, kind);
        QFETCH(int, number);
        if (bytes.startsWith('/'))
            QFile::link(bytes, "data.txt");
        else
            write("data.txt", bytes);
        QStringList read;
        const std::optional<RuntimeError> e = raised([&] {
            ShortcutList::read(9, [&](int record, const ShortcutEntry &entry) {
                if (record == 1) { // the list holds its number while it is read
                    const auto busy = raised([] { FileTable::open(1, "other.txt", FileTable::Mode::Output); });
                    QVERIFY(busy && busy->kind() == E::FileAlreadyOpen);
                }
                read << QString("%1 %2 %3").arg(record).arg(entry.caption, entry.path.left(2));
            });
        });
        QCOMPARE(e ? e->kind() : -1, kind);
        QCOMPARE(e ? std::get<E::Field>(e->data()).field : 0, number);
        QStringList expected;
        for (int k = 1; k <= taken; ++k)
            expected << QString("%1 c%1 %2").arg(k).arg(bytes.size() > 65536 ? "xx" : QString("p%1").arg(k));
        QCOMPARE(read, expected);
        QVERIFY(!FileTable::isOpen(1) && !QFile::exists("other.txt"));
    }

    // The new list replaces the old one only once it is written whole.
    void saveIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("caption5");
        QTest::addColumn<int>("setup");
        QTest::addColumn<int>("kind"); // -1: nothing raised
        QTest::addColumn<int>("error");
        row("written", "new, 5", Plain, -1, 0);
        row("field the list cannot hold", "a\"b", Plain, int(E::FieldNotStorable), 0);
        row("read-only list and folder", "new", ClosedFolder | ListReadOnly, int(E::FileNotWritten), EACCES);
        row("write-only list: no copy kept", "new", ClosedFolder | ListWriteOnly, int(E::FileNotWritten), EACCES);
        row("write-only list", "new, 5", ListWriteOnly, -1, 0);
        row("another launcher's save holds the list", "new", TurnHeld, int(E::FileBusy), 0);
        row("another launcher's save held the list a moment", "new, 5", TurnHeld | TurnGivenUp, -1, 0);
        row("another process, or user, locks the folder", "new, 5", FolderLocked, -1, 0);
        row("flock refused, as on a file system without locks", "new, 5", NoLocks, -1, 0);
        row("in place, flock refused", "new, 5", int(HardLink) | NoLocks, -1, 0);
        row("the list's folder cannot be looked at", "new", NoFstat, int(E::FileNotWritten), EIO);
        row("no cache folder for the copy", "new", ClosedFolder | NoCache, int(E::CacheNotMade), ENOTDIR);
        // The old content goes back at once, as when a disk fills.
        row("file size limit reached", "new", SizeLimit, int(E::FileNotWritten), EFBIG);
        row("in place, file size limit reached", "new", HardLink | SizeLimit, int(E::FileNotWritten), EFBIG);
        row("root, an immutable list: the rename refused", "new", Immutable, int(E::FileNotWritten), EPERM);
    }
    void saveIsAllOrNothing()
    {
        QFETCH(QString, caption5);
        QFETCH(int, setup);
        QFETCH(int, kind);
        QFETCH(int, error);
        write("data.txt", "old");
        QDir().mkpath("cache/hizli"); // while the folder still takes one
        // What a killed save left, here and in the cache, goes with the next save, where a lock tells it is left (and
        // a journal, where the list can be read to prove it settled).
        if (kind < 0 && !(setup & (int(NoLocks) | ListWriteOnly))) {
            write(".data.txt.hizli.Ab12Cd", "part");
            write("cache/hizli/.data.txt.hizli.Ab12Cd", "part");
            write(".data.txt.hizli-gunluk.1-2-3-3.Ab12Cd", "oldnew");
        }
        if (setup & NoCache) {
            write("file", "");
            qputenv("XDG_CACHE_HOME", path("file/cache").toUtf8());
        }
        if (setup & ClosedFolder) {
            SKIP_IF_PRIVILEGED();
            QFile::setPermissions(path("."), QFile::ReadOwner | QFile::ExeOwner);
        }
        QCOMPARE(::chmod("data.txt", setup & ListReadOnly ? 0444 : setup & ListWriteOnly ? 0200 : 0600), 0);
        const Descriptor folder(::open(".", O_RDONLY));
        const Descriptor data(::open("data.txt", O_RDONLY));
        int flags = FS_IMMUTABLE_FL;
        if ((setup & Immutable) && (!privileged() || ::ioctl(data.get(), FS_IOC_SETFLAGS, &flags) != 0))
            QSKIP("only root can make a file immutable, on a file system that keeps the flag");
        if (setup & FolderLocked)
            QCOMPARE(::flock(folder.get(), LOCK_EX), 0);
        std::optional<FileReplacer> other;
        if (setup & TurnHeld) {
            other.emplace("data.txt", true);
            other->check();
        }
        std::jthread unlock([&] { // a turn given up is taken at once, not after the whole wait
            if (setup & TurnGivenUp) {
                ::usleep(100'000);
                other.reset();
            }
        });
        const auto begun = std::chrono::steady_clock::now();
        rlimit limit;
        ::getrlimit(RLIMIT_FSIZE, &limit);
        if (setup & HardLink)
            QCOMPARE(::link("data.txt", "other.txt"), 0);
        if (setup & SizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit small = { 30, limit.rlim_max };
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ShortcutList::Entries entries;
        for (int k = 1; k <= 9; ++k)
            entries[k - 1] = { k == 5 ? caption5 : QString("c%1").arg(k), QString("p%1").arg(k) };
        std::optional<RuntimeError> e;
        std::thread([&] {
            if (setup & NoLocks ? refuse(__NR_flock, ENOLCK)
                                : !(setup & NoFstat) || refuse(__NR_newfstatat, EIO, AT_EMPTY_PATH)) {
                e = raised([&] {
                    FilePlace now;
                    ShortcutList::write(entries, ShortcutList::place(), &now);
                });
            }
        }).join();
        QVERIFY(!(setup & TurnGivenUp) || std::chrono::steady_clock::now() - begun < std::chrono::seconds(1));
        ::setrlimit(RLIMIT_FSIZE, &limit);
        flags = 0;
        ::ioctl(data.get(), FS_IOC_SETFLAGS, &flags);
        ::chmod("data.txt", 0600);
        QCOMPARE(read("data.txt"),
                 kind < 0 ? list({ "c1", "p1", "c2", "p2", "c3", "p3", "c4", "p4", "new, 5", "p5" })
                          : QByteArray("old"));
        const char *beside = setup & HardLink ? " other.txt" : setup & NoCache ? " file" : "";
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QString("data.txt").append(beside).split(' '));
        QCOMPARE(QDir("cache/hizli").entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(e ? e->kind() : -1, kind);
        QVERIFY(!FileTable::isOpen(1));
        const E::File file = e ? std::get<E::File>(e->data()) : E::File {};
        QCOMPARE(file.error, error);
        QCOMPARE(file.previousKept, kind == E::FileNotWritten || kind == E::CacheNotMade);
        QCOMPARE(file.cache, kind == E::CacheNotMade ? path("file/cache/hizli") : QString());
        QCOMPARE(file.character, QString(caption5.contains('"') ? "\"" : ""));
    }

    // A save goes from the folder it opened, so no path grows past what the system takes: here the folder's own
    // path is beyond PATH_MAX, and a hard-linked list is written in place, its journal made beside it.
    void saveInTheDeepestFolders()
    {
        QStringList names;
        const int depth = PATH_MAX + 800;
        for (int length = int(QDir::currentPath().size()); length < depth; length += int(names.last().size()) + 1) {
            names << QString(qMin(250, depth - length - 1), QChar(char16_t(u'a' + names.size() % 26)));
            QVERIFY(::mkdir(names.last().toUtf8(), 0700) == 0 && ::chdir(names.last().toUtf8()) == 0);
        }
        QCOMPARE(::close(::open("data.txt", O_CREAT | O_WRONLY, 0600)), 0);
        QCOMPARE(::link("data.txt", "other.txt"), 0);
        ShortcutList::Entries entries;
        const std::optional<RuntimeError> e = raised([&] {
            FilePlace now;
            ShortcutList::write(entries, ShortcutList::place(), &now);
        });
        QFile file("other.txt"); // by names relative to the folder, as no path reaches it
        const QByteArray written = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const QStringList left = QDir().entryList(QDir::Files | QDir::Hidden | QDir::System);
        ::unlink("data.txt");
        ::unlink("other.txt");
        for (qsizetype i = names.size() - 1; i >= 0; --i)
            QVERIFY(::chdir("..") == 0 && ::rmdir(names.at(i).toUtf8()) == 0);
        QVERIFY(!e);
        QCOMPARE(written, QByteArray("\"\",\"\"\r\n").repeated(9));
        QCOMPARE(left, QStringList({ "data.txt", "other.txt" }));
    }

    // What a killed save left is settled at the next start: the list is changed only where its bytes prove the
    // write was cut off; a list written since stays, and its old content is kept for the user.
    void recovery_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("where");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("notice");
        const QByteArray torn = fresh.left(11) + old.mid(11);
        const QByteArray edited = "\"edited\"\r\n";
        row("torn", torn, Beside, old, "restored");
        row("torn, journal in the cache", torn, InCache, old, "restored");
        row("written, length not yet set", fresh + old.mid(16), Beside, fresh, "");
        row("written", fresh, InCache, fresh, "");
        row("never begun", old, Beside, old, "");
        row("rewritten in place since the kill", edited, Beside, edited, "kept");
        row("cache, the folder's number now another list's", edited, InCache, edited, "kept");
        row("another folder's journal in the cache", torn, InCache | OtherFolder, torn, "");
        row("a running save's journal", torn, Held, torn, "");
        row("an earlier version's copy, torn", torn, Earlier, torn, "kept");
        row("an earlier version's copy, written", fresh + old.mid(16), Earlier, fresh, "");
        // Device numbers change from one boot to the next; only a journal beside the list moves with it.
        row("beside the list, after a reboot", torn, Rebooted, old, "restored");
        row("cache, rebooted", torn, InCache | Rebooted, torn, "");
        row("list gone", QByteArray(), Gone, QByteArray("<none>"), "");
        // Root writes nothing through another user's link, not even the old list back.
        row("root, another user's link", torn, Foreign, torn, "");
    }
    void recovery()
    {
        QFETCH(QByteArray, list);
        QFETCH(int, where);
        QFETCH(QByteArray, expected);
        QFETCH(QString, notice);
        write("data.txt", list);
        if ((where & Foreign) && !privileged())
            QSKIP("only root can give a link to another user");
        QVERIFY(!(where & Foreign)
                || (QFile::rename("data.txt", "real.txt") && QFile::link("real.txt", "data.txt")
                    && ::lchown("data.txt", 65534, 65534) == 0));
        QDir().mkpath("cache/hizli");
        struct stat folder;
        struct stat file;
        ::stat(".", &folder);
        ::stat("data.txt", &file);
        QString journal = QString(where & InCache ? "cache/hizli/" : "") + ".data.txt.hizli-gunluk."
                + QString::number(folder.st_dev) + (where & Rebooted ? "1-" : "-")
                + QString::number(folder.st_ino + (where & OtherFolder ? 1 : 0)) + "-32-16.Ab12Cd";
        if (where & Earlier) // an earlier version's copy named the file, and the new content by its hash
            journal = QString::asprintf(".data.txt.hizli-yedek.%lu-%lu-16-", file.st_dev, file.st_ino)
                    + QCryptographicHash::hash(fresh, QCryptographicHash::Sha256).left(8).toHex() + ".Ab12Cd";
        write(journal, where & Earlier ? old : old + fresh);
        if (where & Gone)
            QVERIFY(QFile::remove("data.txt"));
        for (const char *temporary :
             { ".data.txt.hizli.Ab12Cd", ".sil.txt.hizli.Ab12Cd", "cache/hizli/.data.txt.hizli.Ab12Cd" })
            write(temporary, "part");
        const Descriptor held(::open(".data.txt.hizli.Ab12Cd", O_RDONLY));
        const Descriptor heldJournal(::open(journal.toUtf8(), O_RDONLY));
        if (where & Held) {
            QCOMPARE(::flock(held.get(), LOCK_EX), 0);
            QCOMPARE(::flock(heldJournal.get(), LOCK_EX), 0);
        }
        const std::optional<RuntimeError> e = ShortcutList::recover();
        QCOMPARE(read("data.txt"), expected);
        QCOMPARE(e.has_value(), !notice.isEmpty());
        const QString kept = QFileInfo(journal).path() + "/data.txt.eski-Ab12Cd";
        if (e) {
            const E::File &file = std::get<E::File>(e->data());
            QCOMPARE(std::pair(e->kind(), file.error), std::pair(int(E::SaveInterrupted), 0));
            QCOMPARE(file.previousKept, notice == "restored");
            QCOMPARE(file.backup, notice == "kept" ? QFileInfo(kept).absoluteFilePath() : QString());
        }
        QCOMPARE(read(kept), notice == "kept" ? old : QByteArray("<none>"));
        const QList<int> untouched = { Held, Foreign, InCache | OtherFolder, InCache | Rebooted };
        QCOMPARE(QFile::exists(journal), untouched.contains(where));
        // Temporaries whose writer is gone go too, here and in the cache, but not a running save's.
        QCOMPARE(QFile::exists(".data.txt.hizli.Ab12Cd"), where == Held || where == Foreign);
        QCOMPARE(QFile::exists("cache/hizli/.data.txt.hizli.Ab12Cd"), where == Foreign);
        QVERIFY(!QFile::exists(".sil.txt.hizli.Ab12Cd"));
    }

    // The hand-off file is the asking launcher's own new file; a choice goes only into that file and row.
    void handOff_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<int>("refusedRow"); // -1: the choice is taken
        QTest::addColumn<QByteArray>("after");
        const QByteArray asked = "\"13\"\r\n";
        const QByteArray chosen = asked + "\"A, B\",\"/x y/A, B\"\r\n";
        row("symbolic link in its place", SymLinked, -1, chosen);
        row("hard link to a file of the user's", HardLinked, -1, chosen);
        row("another user's file", OthersFile, -1, chosen);
        row("another launcher asked since", AskedAgain, 7, QByteArray("\"15\"\r\n"));
        row("target line edited in place", Edited, 7, QByteArray("\"02\"\r\n\"A, B\",\"/x y/A, B\"\r\n"));
        row("hard-linked since", LinkedSince, 7, asked);
        row("removed", Removed, 7, QByteArray("<none>"));
        row("a browse that failed since", BrowseFailed, 0, QByteArray("<none>"));
    }
    void handOff()
    {
        QFETCH(int, setup);
        QFETCH(int, refusedRow);
        QFETCH(QByteArray, after);
        write("target.txt", "kept");
        if (setup == SymLinked)
            QFile::link("target.txt", "sil.txt");
        if (setup == HardLinked)
            QCOMPARE(::link("target.txt", "sil.txt"), 0);
        if (setup == OthersFile) {
            if (!privileged())
                QSKIP("only root can give a file to another user");
            QCOMPARE(::chown("target.txt", 65534, 65534), 0);
            QCOMPARE(::link("target.txt", "sil.txt"), 0);
        }
        ::umask(022); // a new file of the user's, readable by others as the usual umask lets it be
        errno = EAGAIN; // as a click's handler finds it, left by the event loop's last read
        HandOff::ask({ 7 });
        QCOMPARE(QFileInfo("sil.txt").permissions() & 0x7, QFile::Permissions(QFile::ReadOther));
        QVERIFY(QFileInfo("sil.txt").ownerId() == ::geteuid() && !QFileInfo("sil.txt").isSymLink());
        QCOMPARE(read("sil.txt"), QByteArray("\"13\"\r\n"));
        if (setup == AskedAgain) {
            write("new.txt", "\"15\"\r\n");
            QCOMPARE(::rename("new.txt", "sil.txt"), 0);
        }
        if (setup == Edited)
            write("sil.txt", "\"02\"\r\n");
        if (setup == LinkedSince)
            QCOMPARE(::link("sil.txt", "snapshot.txt"), 0);
        if (setup == Removed || setup == BrowseFailed)
            QFile::remove("sil.txt");
        if (setup == BrowseFailed) {
            QDir().mkdir("sil.txt");
            QVERIFY(raised([] { HandOff::ask({ 8 }); }));
        }
        const std::optional<RuntimeError> refused = raised([] {
            const HandOff::Choice choice = HandOff::choose("A, B", "/x y/A, B");
            QCOMPARE(choice.row.number, 7);
            QCOMPARE(choice.entry.caption, QString("A, B"));
            QCOMPARE(choice.entry.path, QString("/x y/A, B"));
        });
        QCOMPARE(refused.has_value(), refusedRow >= 0);
        QVERIFY(!refused || std::get<E::HandOff>(refused->data()).row.number == refusedRow);
        QCOMPARE(read("sil.txt"), after);
        QCOMPARE(read("target.txt"), QByteArray("kept"));
        QVERIFY(!FileTable::isOpen(2));
    }
};

QTEST_MAIN(StoreTest)
#include "tst_store.moc"
