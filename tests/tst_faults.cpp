// What the user sees when the list cannot be read or written, a save is cut
// off, or a program cannot be started: the message box's text and the bytes
// left on disk.
//
// Root passes every permission check, so cases about permissions run again,
// in a copy of this program, as the user nobody. Cases that need a read-only
// or a full file system mount one, as root, in a mount namespace of the test
// process's own, which goes away with the process.

#include "app/filetable.h"
#include "app/runtime.h"
#include "launcher/form1.h"
#include "runtimeprobe.h"
#include "settingswindow.h"
#include "settings/form2.h"
#include "store/shortcutlist.h"
#include "testfolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// --- Running a case as an unprivileged user -------------------------------

struct Rerun
{
    bool passed = false;
    QString skipped; // why the case could not run as nobody, if it could not
    QString output;
};

// A folder the user nobody can reach, with a copy of this program and a
// home for it.
const QTemporaryDir &stage()
{
    static QTemporaryDir dir(QDir(QFileInfo::exists("/tmp") ? "/tmp" : QDir::tempPath())
                                 .filePath("hizli-faults-XXXXXX"));
    return dir;
}

Rerun rerunAsNobody()
{
    Rerun rerun;
    const passwd *nobody = getpwnam("nobody");
    if (!nobody) {
        rerun.skipped = "this system has no user nobody to run the case as";
        return rerun;
    }
    const QString home = stage().filePath("home");
    const QString program = stage().filePath("tst_faults");
    if (!QFileInfo::exists(program)) {
        QDir().mkpath(home);
        if (!QFile::copy(QCoreApplication::applicationFilePath(), program)
            || chmod(qPrintable(stage().path()), 0755) != 0 || chmod(qPrintable(program), 0755) != 0
            || chown(qPrintable(home), nobody->pw_uid, nobody->pw_gid) != 0) {
            rerun.skipped = "no copy of the test program for nobody: " + QString::fromLocal8Bit(std::strerror(errno));
            return rerun;
        }
    }

    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    const QString selection = tag.isEmpty() ? function : function + ':' + tag;
    const QString passed = "PASS   : FaultsTest::" + function + '(' + tag + ')';
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("TMPDIR", home);
    environment.remove("XDG_RUNTIME_DIR");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("setpriv", {QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                              QStringLiteral("--regid=%1").arg(nobody->pw_gid), "--clear-groups", "--",
                              program, selection});
    if (!process.waitForStarted(10000)) {
        rerun.skipped = "setpriv could not be started: " + process.errorString();
        return rerun;
    }
    process.waitForFinished(100000);
    rerun.output = QString::fromUtf8(process.readAll());
    if (rerun.output.startsWith("setpriv:")) {
        rerun.skipped = "setpriv could not become nobody: " + rerun.output.trimmed();
        return rerun;
    }
    const qsizetype skip = rerun.output.indexOf("SKIP   : ");
    if (skip >= 0) {
        rerun.skipped = rerun.output.mid(skip, rerun.output.indexOf('\n', skip) - skip);
        return rerun;
    }
    rerun.passed = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
                   && rerun.output.contains(passed);
    return rerun;
}

// Runs the rest of the case as nobody when the test runs as root.
#define AS_UNPRIVILEGED_USER()                                                                     \
    do {                                                                                           \
        if (geteuid() == 0) {                                                                      \
            const Rerun rerun = rerunAsNobody();                                                   \
            if (!rerun.skipped.isEmpty())                                                          \
                QSKIP(qPrintable("as nobody: " + rerun.skipped));                                  \
            QVERIFY2(rerun.passed, qPrintable("as nobody:\n" + rerun.output));                    \
            return;                                                                                \
        }                                                                                          \
    } while (false)

// --- Mounts ----------------------------------------------------------------

// Empty once the process has a mount namespace of its own, else why not.
QString &mountNamespaceProblem()
{
    static QString problem = "not tried";
    return problem;
}

void enterOwnMountNamespace()
{
    if (geteuid() != 0) {
        mountNamespaceProblem() = "only root may mount file systems";
        return;
    }
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        mountNamespaceProblem() = "no mount namespace of its own: " + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mountNamespaceProblem().clear();
}

QString errorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A folder in which nothing can be written, whatever the user's rights.
QString mountReadOnly(const QString &folder)
{
    if (!mountNamespaceProblem().isEmpty())
        return mountNamespaceProblem();
    const QByteArray path = QFile::encodeName(folder);
    if (mount(path, path, nullptr, MS_BIND, nullptr) != 0)
        return "bind mount failed: " + errorText();
    if (mount(nullptr, path, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        umount2(path, MNT_DETACH);
        return "read-only remount failed: " + errorText();
    }
    return {};
}

QString mountSmallFileSystem(const QString &folder)
{
    if (!mountNamespaceProblem().isEmpty())
        return mountNamespaceProblem();
    if (mount("tmpfs", QFile::encodeName(folder), "tmpfs", 0, "size=64k,mode=0755") != 0)
        return "tmpfs mount failed: " + errorText();
    return {};
}

void unmount(const QString &folder)
{
    umount2(QFile::encodeName(folder), MNT_DETACH);
}

// Fills the file system that holds folder to its last block.
void fill(const QString &folder)
{
    QFile filler(QDir(folder).filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
}

// --- The windows -----------------------------------------------------------

// The folder as the user sees it: names, kinds, sizes and contents.
QStringList snapshot(const QString &folder)
{
    QStringList entries;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                                           QDir::Name);
    for (const QFileInfo &info : infos) {
        QFile file(info.filePath());
        const QByteArray content = info.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        entries << QStringLiteral("%1 %2 %3 %4")
                       .arg(info.fileName(), info.isDir() ? "folder" : "file")
                       .arg(info.size())
                       .arg(QString::fromLatin1(content.toHex()));
    }
    return entries;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// --- A save cut off at a random moment ------------------------------------

ShortcutList::Entries bigList(char letter)
{
    ShortcutList::Entries entries;
    for (int k = 0; k < ShortcutList::size; ++k) {
        entries[k].caption = QStringLiteral("%1 kayıt %2").arg(letter).arg(k + 1);
        entries[k].path = QString(4000, QChar::fromLatin1(letter)) + QString::number(k);
    }
    return entries;
}

QByteArray stored(const ShortcutList::Entries &entries)
{
    QStringList fields;
    for (const ShortcutEntry &entry : entries)
        fields << entry.caption << entry.path;
    return TestFolder::list(fields);
}

// The child of interruptedSaveLeavesOldOrNewList: saves the two lists in
// turn, for ever, until it is killed.
int saveForEver(const char *folder)
{
    if (!QDir::setCurrent(QFile::decodeName(folder)))
        return 2;
    const ShortcutList::Entries lists[2] = {bigList('B'), bigList('A')};
    for (long n = 0;; ++n) {
        ShortcutList::write(lists[n % 2]);
        if (n == 0) {
            std::fputs("saved\n", stdout);
            std::fflush(stdout);
        }
    }
}

// Whether the process holds a file open in folder: the file a save writes
// before it takes the list's place.
bool isWritingIn(qint64 pid, const QString &folder)
{
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString &fd : QDir(fds).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(fds + '/' + fd).startsWith(folder + '/'))
            return true;
    }
    return false;
}

// --- Processes -------------------------------------------------------------

struct Child
{
    int pid;
    char state;
};

QList<Child> childrenOfThisProcess()
{
    QList<Child> children;
    const QStringList pids = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (name) state ppid ...: the name may hold blanks and brackets.
        const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest.at(1).toInt() == getpid())
            children.append({pid.toInt(), rest.at(0).at(0)});
    }
    return children;
}

QString describe(const QList<Child> &children)
{
    QStringList parts;
    for (const Child &child : children)
        parts << QStringLiteral("%1 (%2)").arg(child.pid).arg(QChar::fromLatin1(child.state));
    return parts.join(", ");
}

}

class FaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterOwnMountNamespace(); }
    void cleanup() { FileTable::closeAll(); }

    // --- Saving --------------------------------------------------------------

    void failedSaveKeepsListAndEdits_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("advice");
        const QString kept = " Dosyanın önceki içeriği olduğu gibi duruyor.";
        const QString permission = "Klasöre ve dosyaya yazma izniniz olduğunu denetleyip yeniden deneyin." + kept;
        QTest::newRow("read-only folder") << "read-only folder" << "erişim izni yok" << permission;
        QTest::newRow("read-only data.txt") << "read-only data.txt" << "erişim izni yok" << permission;
        QTest::newRow("read-only file system")
            << "read-only file system" << "dosya sistemi salt okunur"
            << "Dosya sistemini yazılabilir olarak bağlayın ya da listeyi yazılabilir bir klasöre taşıyıp "
               "Hızlı'yı oradan başlatın." + kept;
        QTest::newRow("full file system") << "full file system" << "diskte yer kalmadı"
                                          << "Diskte yer açıp yeniden deneyin." + kept;
        QTest::newRow("data.txt is a folder") << "folder" << "bu adı taşıyan bir klasör var"
                                              << "Bu klasörü taşıyın ya da adını değiştirin, sonra yeniden deneyin.";
    }

    void failedSaveKeepsListAndEdits()
    {
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        QFETCH(QString, advice);
        if (cause.startsWith("read-only ") && cause != "read-only file system")
            AS_UNPRIVILEGED_USER();

        TestFolder folder;
        RuntimeProbe probe;
        // Where data.txt lives: the test's folder, or a file system mounted in it.
        QString where = folder.path();
        bool mounted = false;
        auto restore = qScopeGuard([&] {
            QDir::setCurrent(folder.path());
            if (cause == "read-only folder")
                chmod(QFile::encodeName(where), 0755);
            if (mounted)
                unmount(where);
        });
        if (cause == "read-only file system" || cause == "full file system") {
            where = folder.filePath("mounted");
            QVERIFY(QDir().mkdir(where));
            if (cause == "full file system") {
                const QString problem = mountSmallFileSystem(where);
                if (!problem.isEmpty())
                    QSKIP(qPrintable(problem));
                mounted = true;
            }
            QVERIFY(QDir::setCurrent(where));
        }
        const QByteArray before = TestFolder::sampleList();
        QFile list(QDir(where).filePath("data.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(before);
        list.close();

        Runtime::run([] { Form2::instance().show(); });
        QVERIFY(Form2::instance().isVisible());
        for (int number = 1; number <= 18; ++number)
            SettingsWindow::box(number)->setText(QStringLiteral("düzenlenmiş %1, ğüşiöç").arg(number));
        const QStringList edited = SettingsWindow::texts();

        if (cause == "read-only folder") {
            QCOMPARE(chmod(QFile::encodeName(where), 0555), 0);
        } else if (cause == "read-only data.txt") {
            QCOMPARE(chmod(QFile::encodeName(list.fileName()), 0444), 0);
        } else if (cause == "read-only file system") {
            const QString problem = mountReadOnly(where);
            if (!problem.isEmpty())
                QSKIP(qPrintable(problem));
            mounted = true;
        } else if (cause == "full file system") {
            fill(where);
        } else if (cause == "folder") {
            QVERIFY(list.remove());
            QVERIFY(QDir(where).mkdir("data.txt"));
        }
        const QStringList onDisk = snapshot(where);

        SettingsWindow::press("Command1");

        QCOMPARE(probe.prompts.size(), 1);
        const QString message = probe.prompts.first();
        QCOMPARE(message, "\"data.txt\" dosyası \"" + native(where) + "\" klasörüne yazılamadı: " + reason + ".\n\n"
                              + advice);
        QCOMPARE(probe.titles.first(), "Hızlı");
        QVERIFY(!probe.ended);
        QVERIFY(Form2::instance().isVisible());
        QCOMPARE(SettingsWindow::texts(), edited);
        QCOMPARE(snapshot(where), onDisk);

        // Once the cause is mended, the same window saves the same edits.
        if (cause == "read-only folder") {
            QCOMPARE(chmod(QFile::encodeName(where), 0755), 0);
        } else if (cause == "read-only data.txt") {
            QCOMPARE(chmod(QFile::encodeName(list.fileName()), 0644), 0);
        } else if (cause == "read-only file system") {
            unmount(where);
            mounted = false;
            QVERIFY(QDir::setCurrent(where));
        } else if (cause == "full file system") {
            QVERIFY(QFile::remove(QDir(where).filePath("filler")));
        } else if (cause == "folder") {
            QVERIFY(QDir(where).rmdir("data.txt"));
        }
        SettingsWindow::press("Command1");
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 0);
        QFile saved(QDir(where).filePath("data.txt"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), TestFolder::list(edited));
    }

    void interruptedSaveLeavesOldOrNewList()
    {
        TestFolder folder;
        const QByteArray a = stored(bigList('A'));
        const QByteArray b = stored(bigList('B'));
        QVERIFY(a.size() > 32 * 1024);
        folder.write("data.txt", a);
        QRandomGenerator random(9);
        int cutOff = 0;
        int sawA = 0;
        int sawB = 0;
        int leftOver = 0;
        const int runs = 40;
        for (int run = 0; run < runs; ++run) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(), {"--save-for-ever", folder.path()});
            QVERIFY(saver.waitForStarted(10000));
            QVERIFY2(saver.waitForReadyRead(30000), qPrintable(saver.readAllStandardError()));
            usleep(random.bounded(5000));
            if (isWritingIn(saver.processId(), folder.path()))
                ++cutOff;
            QCOMPARE(kill(pid_t(saver.processId()), SIGKILL), 0);
            QVERIFY(saver.waitForFinished(10000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

            const QByteArray now = folder.read("data.txt");
            QVERIFY2(now == a || now == b, qPrintable(QStringLiteral("run %1: %2 bytes, neither list")
                                                          .arg(run)
                                                          .arg(now.size())));
            (now == a ? sawA : sawB)++;
            // A kill between linking the finished file under a name of its
            // own and renaming it to data.txt leaves that file: a whole list.
            for (const QString &name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)) {
                if (name == "data.txt")
                    continue;
                QVERIFY2(QRegularExpression("^data\\.txt\\.\\w{6}$").match(name).hasMatch(), qPrintable(name));
                const QByteArray left = folder.read(name);
                QVERIFY2(left == a || left == b, qPrintable(name));
                QVERIFY(QFile::remove(folder.filePath(name)));
                ++leftOver;
            }
        }
        qInfo("%d of %d saves killed while writing; then %d times list A, %d times list B; %d whole lists left "
              "beside data.txt",
              cutOff, runs, sawA, sawB, leftOver);
        QVERIFY(cutOff > 0);
        QVERIFY(sawA > 0 && sawB > 0);
    }

    // --- Reading -------------------------------------------------------------

    void unreadableListEndsWithMessage_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("advice");
        for (const QString window : {"launcher", "settings"}) {
            const QByteArray w = window.toLatin1();
            QTest::addRow("%s: no read permission", w.data()) << window << "no read permission"
                                                             << "açılamadı: erişim izni yok"
                                                             << "okunabilir bir dosya olduğunu denetleyin";
            QTest::addRow("%s: a folder", w.data()) << window << "folder"
                                                   << "açılamadı: bu adı taşıyan bir klasör var"
                                                   << "okunabilir bir dosya olduğunu denetleyin";
            QTest::addRow("%s: empty", w.data()) << window << "empty" << "eksik: 1. alan okunacakken dosya bitti"
                                                << "eksik kayıtları tamamlayın";
            QTest::addRow("%s: eight records", w.data()) << window << "eight records" << "eksik: 17. alan"
                                                        << "eksik kayıtları tamamlayın";
            QTest::addRow("%s: one line without line end", w.data())
                << window << "one line" << "eksik: 3. alan" << "eksik kayıtları tamamlayın";
        }
    }

    void unreadableListEndsWithMessage()
    {
        QFETCH(QString, window);
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        QFETCH(QString, advice);
        if (cause == "no read permission")
            AS_UNPRIVILEGED_USER();

        TestFolder folder;
        RuntimeProbe probe;
        auto restore = qScopeGuard([&] { chmod(QFile::encodeName(folder.filePath("data.txt")), 0644); });
        if (cause == "no read permission") {
            folder.write("data.txt", TestFolder::sampleList());
        } else if (cause == "folder") {
            QVERIFY(QDir(folder.path()).mkdir("data.txt"));
        } else if (cause == "empty") {
            folder.write("data.txt", {});
        } else if (cause == "eight records") {
            QStringList fields;
            for (int k = 1; k <= 8; ++k)
                fields << QStringLiteral("Başlık %1").arg(k) << QStringLiteral("/yol/%1").arg(k);
            const QByteArray eight = TestFolder::list(fields);
            folder.write("data.txt", eight);
        } else {
            folder.write("data.txt", "\"Hesap\",\"gnome-calculator\"");
        }
        const QStringList onDisk = snapshot(folder.path());
        if (cause == "no read permission")
            QCOMPARE(chmod(QFile::encodeName(folder.filePath("data.txt")), 0200), 0);

        if (window == "launcher")
            Runtime::run([] { Form1::instance().show(); });
        else
            Runtime::run([] { Form2::instance().show(); });

        QCOMPARE(probe.prompts.size(), 1);
        const QString message = probe.prompts.first();
        QVERIFY2(message.contains("\"data.txt\" dosyası \"" + native(folder.path()) + "\" klasöründe " + reason),
                 qPrintable(message));
        QVERIFY2(message.contains(advice), qPrintable(message));
        QCOMPARE(probe.titles.first(), "Hızlı");
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 1);
        QVERIFY(!Form1::instance().isVisible());
        QVERIFY(!Form2::instance().isVisible());
        QVERIFY(!FileTable::isOpen(ShortcutList::fileNumber));
        if (cause == "no read permission") {
            struct stat status;
            QCOMPARE(stat(QFile::encodeName(folder.filePath("data.txt")), &status), 0);
            QCOMPARE(status.st_mode & 07777, mode_t(0200));
            restore.dismiss();
            QCOMPARE(chmod(QFile::encodeName(folder.filePath("data.txt")), 0644), 0);
        }
        QCOMPARE(snapshot(folder.path()), onDisk);
    }

    // --- Launching -----------------------------------------------------------

    void launchEndsOrReports_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("starts");
        QTest::newRow("exits at once") << "exits" << true;
        QTest::newRow("keeps running") << "runs" << true;
        QTest::newRow("does not exist") << "missing" << false;
        QTest::newRow("a folder") << "folder" << false;
        QTest::newRow("no execute bit") << "not executable" << false;
        QTest::newRow("execute bit, no program") << "no program" << false;
        QTest::newRow("interpreter missing") << "no interpreter" << false;
    }

    void launchEndsOrReports()
    {
        QFETCH(QString, program);
        QFETCH(bool, starts);
        TestFolder folder;
        RuntimeProbe probe;
        QString line;
        if (program == "exits") {
            line = folder.writeProgram("bin/hemen bitir", "#!/bin/sh\ntouch \"$PWD/ran\"\n") + " -x";
        } else if (program == "runs") {
            line = folder.writeProgram("bin/bekle", "#!/bin/sh\necho $$ > \"$PWD/pid.part\"\n"
                                                     "mv \"$PWD/pid.part\" \"$PWD/pid\"\nexec sleep 60\n");
        } else if (program == "missing") {
            line = folder.filePath("bin/yok");
        } else if (program == "folder") {
            QVERIFY(QDir().mkpath(folder.filePath("bin/klasör")));
            line = folder.filePath("bin/klasör");
        } else if (program == "not executable") {
            folder.write("bin/izinsiz", "#!/bin/sh\ntouch \"$PWD/ran\"\n");
            line = folder.filePath("bin/izinsiz");
        } else if (program == "no program") {
            line = folder.writeProgram("bin/metin", "touch ran\n");
        } else {
            line = folder.writeProgram("bin/yorumlayıcısız", "#!/yok/yorumlayıcı\n");
        }
        QStringList fields;
        for (int k = 1; k <= 9; ++k)
            fields << QStringLiteral("Öğe %1").arg(k) << line;
        folder.write("data.txt", TestFolder::list(fields));

        QList<int> before;
        for (const Child &child : childrenOfThisProcess())
            before << child.pid;
        Runtime::run([] { Form1::instance().show(); });
        QVERIFY(Form1::instance().isVisible());
        QElapsedTimer timer;
        timer.start();
        Form1::instance().findChild<QAction *>("radio")->trigger();
        QVERIFY2(timer.elapsed() < 5000, "the launcher waited for the program");

        QVERIFY(probe.ended);
        QVERIFY(!Form1::instance().isVisible());
        if (starts) {
            QCOMPARE(probe.prompts, QStringList());
            QCOMPARE(probe.status, 0);
        } else {
            QCOMPARE(probe.prompts.size(), 1);
            const QString message = probe.prompts.first();
            QVERIFY2(message.contains("Program başlatılamadı:\n" + line + "\n"), qPrintable(message));
            QVERIFY2(message.contains("\"" + native(folder.path()) + "\" klasöründen"), qPrintable(message));
            QVERIFY2(message.contains("Ayarlar penceresinde bu kısayolun yolunu düzeltin"), qPrintable(message));
            QCOMPARE(probe.status, 1);
        }

        if (program == "exits")
            QTRY_VERIFY_WITH_TIMEOUT(folder.exists("ran"), 5000);
        if (program == "runs") {
            QTRY_VERIFY_WITH_TIMEOUT(folder.exists("pid"), 5000);
            const int pid = folder.read("pid").trimmed().toInt();
            QVERIFY(pid > 0);
            QVERIFY(QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)));
            kill(pid, SIGKILL);
        }
        // Once the started program has ended, nothing of it is left under
        // this process: no zombie waits to be reaped, nothing hangs on.
        const auto newChildren = [&before] {
            QList<Child> children = childrenOfThisProcess();
            children.removeIf([&before](const Child &child) { return before.contains(child.pid); });
            return children;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(newChildren().isEmpty(), qPrintable(describe(newChildren())), 3000);
        QVERIFY(!folder.exists("ran") || program == "exits");
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--save-for-ever") == 0)
        return saveForEver(argv[2]);
    QApplication app(argc, argv);
    FaultsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
