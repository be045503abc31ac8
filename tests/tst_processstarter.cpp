#include "app/processstarter.h"
#include "app/runtimeerror.h"
#include "testfolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

namespace {
// Records its arguments one a line, then its working folder, its session and
// an environment variable, into trace.txt beside itself.
const QByteArray tracer = "#!/bin/sh\n"
                          "out=\"$(dirname \"$0\")/trace.txt\"\n"
                          "for a in \"$@\"; do echo \"arg:$a\"; done > \"$out.part\"\n"
                          "echo \"cwd:$(pwd)\" >> \"$out.part\"\n"
                          "echo \"sid:$(cut -d' ' -f6 /proc/$$/stat)\" >> \"$out.part\"\n"
                          "echo \"env:$HIZLI_MARK\" >> \"$out.part\"\n"
                          "mv \"$out.part\" \"$out\"\n";
}

class ProcessStarterTest : public QObject
{
    Q_OBJECT

private slots:
    void resolvesCommandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        // "@" stands for the test's folder.
        QTest::newRow("folder with blanks, arguments")
            << "@/my tools/run me -a b" << "@/my tools/run me" << QStringList{"-a", "b"};
        QTest::newRow("runs of blanks between arguments")
            << "@/my tools/run me  x   y " << "@/my tools/run me" << QStringList{"x", "y"};
        QTest::newRow("shortest run of words wins") << "@/a b" << "@/a" << QStringList{"b"};
        QTest::newRow("name ending in a blank") << "@/iz " << "@/iz " << QStringList{};
        QTest::newRow("leading blanks skipped") << "  @/iz  x" << "@/iz " << QStringList{"x"};
        QTest::newRow("relative path from the working folder") << "./a --x" << "@/a" << QStringList{"--x"};
        QTest::newRow("bare name in the working folder") << "a" << "@/a" << QStringList{};
        QTest::newRow("bare name on PATH") << "sh -c true" << "%sh" << QStringList{"-c", "true"};
        QTest::newRow("quotation marks group words")
            << "\"@/my tools/run me\" \"x y\" z" << "@/my tools/run me" << QStringList{"x y", "z"};
        QTest::newRow("document is no program") << "@/doc.txt" << "" << QStringList{};
        QTest::newRow("folder is no program") << "@/my tools" << "" << QStringList{};
        QTest::newRow("missing program") << "@/nothing here" << "" << QStringList{};
        QTest::newRow("empty line") << "" << "" << QStringList{};
        QTest::newRow("blanks only") << "   " << "" << QStringList{};
    }

    void resolvesCommandLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        TestFolder folder;
        folder.writeProgram("my tools/run me");
        folder.writeProgram("a");
        folder.writeProgram("a b");
        folder.writeProgram("iz ");
        folder.write("doc.txt", "text\n");
        if (program == QLatin1String("%sh"))
            program = QStandardPaths::findExecutable("sh");

        const ProcessStarter::Command command = ProcessStarter::resolve(line.replace('@', folder.path()));
        QCOMPARE(command.program, program.replace('@', folder.path()));
        QCOMPARE(command.arguments, arguments);
    }

    void startsDetachedWithArguments()
    {
        TestFolder folder;
        const QString script = folder.writeProgram("iki kelime/izle", tracer);
        qputenv("HIZLI_MARK", "işaret");
        ProcessStarter::start(script + " bir, iki  üç");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder.filePath("iki kelime/trace.txt")), 5000);

        const QStringList trace = QString::fromUtf8(folder.read("iki kelime/trace.txt")).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(trace.mid(0, 3), (QStringList{"arg:bir,", "arg:iki", "arg:üç"}));
        QCOMPARE(trace.value(3), "cwd:" + folder.path());
        QVERIFY(trace.value(4) != QStringLiteral("sid:%1").arg(getsid(0)));
        QCOMPARE(trace.value(5), QStringLiteral("env:işaret"));
    }

    void failedStartNamesTheCommandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("empty") << "";
        QTest::newRow("document") << "@/doc.txt";
    }

    void failedStartNamesTheCommandLine()
    {
        QFETCH(QString, line);
        TestFolder folder;
        folder.write("doc.txt", "text\n");
        line.replace('@', folder.path());
        try {
            ProcessStarter::start(line);
            QFAIL("a start that cannot succeed succeeded");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.kind(), RuntimeError::Kind::StartFailed);
            QCOMPARE(error.subject(), line);
            QVERIFY(error.text().contains(line));
            QVERIFY(error.text().contains("başlatılamadı"));
        }
    }
};

QTEST_GUILESS_MAIN(ProcessStarterTest)
#include "tst_processstarter.moc"
