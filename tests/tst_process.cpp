// SPDX-License-Identifier: GPL-3.0-or-later
// Which program a command line names, its start, the folder hizli --desktop starts from, a second start.
#include "fixture.h"
#include "row.h"

#include "desktop/datafolder.h"
#include "desktop/runninglauncher.h"
#include "errors/runtimeerror.h"
#include "files/descriptor.h"
#include "process/processstarter.h"

#include <QDir>
#include <QTest>

#include <cstring>
#include <future>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <vector>

using E = RuntimeError;

class ProcessTest : public Fixture
{
    Q_OBJECT

private slots:
    void resolves_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("missing");
        row("spaced folder, arguments", "@/my tools/run me  -x  y", "@/my tools/run me", QStringList { "-x", "y" }, "");
        row("longest run of words wins", "@/a b c", "@/a b", QStringList { "c" }, "");
        row("tabs separate words", "@/a\tb", "@/a", QStringList { "b" }, "");
        row("bare name never from the working folder", "a x", "", QStringList {}, "");
        row("leading blanks skipped", "  @/a  x", "@/a", QStringList { "x" }, "");
        row("relative path", "./a --x", "@/a", QStringList { "--x" }, "");
        row("bare name on PATH", "sh -c true", "/usr/bin/sh", QStringList { "-c", "true" }, "");
        row("one-letter name on PATH", "[ 1 = 1 ]", "/usr/bin/[", QStringList { "1", "=", "1", "]" }, "");
        row("quotes group words", "\"@/my tools/run me\" \"a b\"", "@/my tools/run me", QStringList { "a b" }, "");
        row("document is no program", "@/doc.txt", "", QStringList {}, "");
        row("missing program", "@/nothing here", "", QStringList {}, "");
        row("blanks only", "   ", "", QStringList {}, "");
        row("the whole line a program, a blank in its name", "@/a b", "@/a b", QStringList {}, "");
        // The program in "a c" is gone; "a" is not started with the rest as arguments.
        row("a removed program's prefix", "@/a c/run x", "", QStringList {}, "@/a c/run");
        row("a folder in a program's place", "@/a c", "", QStringList {}, "@/a c");
        row("PATH_MAX characters, the last word an argument", "@/a b %", "@/a b", QStringList { "%" }, "");
        row("a name of NAME_MAX (255) bytes", "@/" + QString(255, u'n'), "@/" + QString(255, u'n'), QStringList {}, "");
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
        writeProgram(QString(NAME_MAX, u'n'));
        writeProgram("my tools/run me");
        write("doc.txt", "text");
        line.replace("@", QDir::currentPath());
        const QString pad(PATH_MAX - line.size() + 1, u'y'); // "%": as many as make the line PATH_MAX long
        const ProcessStarter::Command command = ProcessStarter::resolve(line.replace("%", pad));
        QCOMPARE(command.program, program.replace("@", QDir::currentPath()));
        QCOMPARE(command.arguments, arguments.replaceInStrings("%", pad));
        QCOMPARE(command.missing, missing.replace("@", QDir::currentPath()));
    }

    void starts()
    {
        writeProgram("prog");
        ProcessStarter::start("./prog İş  x");
        QCOMPARE(started(), path("prog") + "|İş|x|");
        QDir().mkdir("prog x");
        for (const auto &[line, kind, subject] : { std::tuple { "./missing x", int(E::StartFailed), "./missing x" },
                                                   { "./prog x/gone", int(E::ProgramMissing), "./prog x/gone" } }) {
            const std::optional<RuntimeError> e = raised([line = line] { ProcessStarter::start(line); });
            QVERIFY(e);
            const E::Command *command = std::get_if<E::Command>(&e->data());
            QCOMPARE(std::pair(e->kind(), command ? command->line : std::get<E::File>(e->data()).name),
                     std::pair(kind, QString(subject)));
        }
        // A failed start names the folder the program was started in.
        ProcessStarter::setStartFolder(path("prog x"));
        const std::optional<RuntimeError> e = raised([] { ProcessStarter::start("./missing"); });
        ProcessStarter::setStartFolder({});
        QCOMPARE(std::get<E::Command>(e->data()).folder, path("prog x"));
    }

    // hizli --desktop's list folder, s/hizli here: entered only where private; root makes nothing in another's.
    void dataFolder()
    {
        qputenv("HOME", "h"); // relative: no home
        QCOMPARE(DataFolder::home(), QFile::decodeName(::getpwuid(::geteuid())->pw_dir));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("s")));
        QCOMPARE(std::system(
                         "mkdir -m 703 r r/hizli; ln -s r s; cd r/hizli; touch .data.txt.hizli.Ab12C .data.txt.Ab12Cd"),
                 0);
        QCOMPARE(raised(&DataFolder::enter)->kind(), int(E::FolderOpenToOthers));
        QCOMPARE(std::system("chmod 700 r/hizli; touch r/hizli/.data.txt.hizli.Ab12Cd"), 0);
        QVERIFY(!raised(&DataFolder::enter)); // a killed copy's part is all it removes
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).join(' '), ".data.txt.Ab12Cd .data.txt.hizli.Ab12C");
        QDir::setCurrent(path("."));
        if (!privileged())
            QSKIP("only root gives a folder to another user");
        QCOMPARE(std::system("chown -h nobody s"), 0);
        QCOMPARE(std::get<E::Owner>(raised(&DataFolder::enter)->data()).place, path("s"));
        QCOMPARE(std::system("chown -h 0 s; chown nobody r/hizli"), 0);
        QCOMPARE(raised(&DataFolder::enter)->kind(), int(E::FolderOfAnother));
        QCOMPARE(std::system("chown nobody r; rm -r r/hizli"), 0);
        QCOMPARE(std::get<E::Owner>(raised(&DataFolder::enter)->data()).place, path("r/hizli"));
        QVERIFY(!QFile::exists("r/hizli"));
    }

    // A second start hands its startup ID and activation token to the launcher that runs here, which answers. Peers
    // that hang up, halfway or after a whole request, neither end it nor bring it back, and one that holds its request
    // back holds up no second start. In another folder, on another display, or beside a launcher that cannot answer
    // (this thread, busy here), a start is a launcher of its own.
    void handOver()
    {
        static QByteArrayList asked;
        RunningLauncher::listen(
                [](const QByteArray &startupId, const QByteArray &token) { asked << startupId << token; });
        const auto handOver = [](const char *startupId) { // from another start, while this one can answer
            auto taken = std::async(std::launch::async, [=] { return RunningLauncher::handOver(startupId, "token"); });
            while (taken.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
                QCoreApplication::processEvents();
            return taken.get();
        };
        sockaddr_un address { AF_UNIX, {} };
        const QString socket = "run/" + QDir("run").entryList({ "*.sock" }, QDir::System).value(0);
        std::strcpy(address.sun_path, QFile::encodeName(socket).constData());
        std::vector<Descriptor> peers;
        for (const char *sent : { "half", "gone\n", "held" }) {
            peers.emplace_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
            QCOMPARE(::connect(peers.back().get(), reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
            QCOMPARE(::send(peers.back().get(), sent, std::strlen(sent), 0), ssize_t(std::strlen(sent)));
        }
        peers.erase(peers.begin(), peers.begin() + 2);
        QVERIFY(handOver("id_TIME5"));
        QCOMPARE(asked, QByteArrayList({ "id_TIME5", "token" }));
        QVERIFY(!RunningLauncher::handOver("hung", ""));
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", "elsewhere:7");
        QVERIFY(!handOver("elsewhere"));
        qputenv("DISPLAY", display);
        QVERIFY(QDir::setCurrent("run"));
        QVERIFY(!handOver("elsewhere"));
        peers.clear(); // the last peers hang up, and the launcher lets go of each
        QTest::qWait(100);
    }
};

QTEST_MAIN(ProcessTest)
#include "tst_process.moc"
