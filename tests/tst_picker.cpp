#include "app/runtime.h"
#include "controls/dirlistbox.h"
#include "controls/drivelistbox.h"
#include "controls/filelistbox.h"
#include "controls/volumes.h"
#include "launcher/form1.h"
#include "picker/form3.h"
#include "runtimeprobe.h"
#include "settings/form2.h"
#include "settingswindow.h"
#include "testfolder.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <memory>

namespace {
const QString toolsName = QStringLiteral("araç kutusu, 1");
const QString programName = QStringLiteral("Benim Programım, v2");

// A working folder with a list, and a tools folder of programs and others.
void seed(const TestFolder &folder)
{
    folder.write("data.txt", TestFolder::sampleList());
    const QString tools = toolsName + '/';
    folder.writeProgram(tools + programName);
    folder.writeProgram(tools + "ikinci");
    folder.write(tools + "BÜYÜK.EXE", "MZ");
    folder.write(tools + "küçük.exe", "MZ");
    folder.write(tools + "belge.txt", "metin");
    folder.writeProgram(tools + ".gizli");
    QDir().mkpath(folder.filePath(tools + "alt klasör"));
}

Form2 &settings()
{
    return Form2::instance();
}

QString box(int number)
{
    return SettingsWindow::box(number)->text();
}

template <typename T>
T *picker(const char *name)
{
    return Form3::instance().findChild<T *>(name);
}

void browse(int row)
{
    settings().findChild<QPushButton *>(QStringLiteral("Command%1").arg(row + 3))->click();
}

QTreeWidgetItem *folderItem(const QString &name)
{
    const QList<QTreeWidgetItem *> found =
        picker<DirListBox>("Dir1")->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void doubleClickFolder(const QString &name)
{
    auto *dir = picker<DirListBox>("Dir1");
    QTreeWidgetItem *item = folderItem(name);
    QVERIFY2(item, qPrintable(name));
    const QRect rect = dir->visualItemRect(item);
    QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(dir->viewport(), Qt::LeftButton, {}, rect.center());
}

QStringList listedFiles()
{
    QStringList names;
    auto *files = picker<FileListBox>("File1");
    for (int i = 0; i < files->count(); ++i)
        names << files->item(i)->text();
    return names;
}

void selectFile(const QString &name)
{
    auto *files = picker<FileListBox>("File1");
    const QList<QListWidgetItem *> found = files->findItems(name, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    files->setCurrentItem(found.first());
}

void choose(const QString &name, bool byDoubleClick)
{
    selectFile(name);
    if (byDoubleClick) {
        auto *files = picker<FileListBox>("File1");
        const QRect rect = files->visualItemRect(files->currentItem());
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, rect.center());
    } else {
        picker<QPushButton>("Command2")->click();
    }
}
}

class PickerTest : public QObject
{
    Q_OBJECT

private slots:
    void browseWritesRowTargetNumber_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("bytes");
        for (int row = 1; row <= 9; ++row)
            QTest::addRow("row %d", row) << row << "\"" + QByteArray::number(2 * row - 1) + "\"\r\n";
    }

    void browseWritesRowTargetNumber()
    {
        QFETCH(int, row);
        QFETCH(QByteArray, bytes);
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        folder.write("sil.txt", "\"3\"\r\n\"eski\",\"/eski\"\r\n");
        SettingsWindow::open();
        browse(row);
        QCOMPARE(folder.read("sil.txt"), bytes);
        QCOMPARE(bytes.size(), row <= 5 ? 5 : 6);
        QVERIFY(Form3::instance().isVisible());
        QVERIFY(settings().isVisible());
        QCOMPARE(folder.read("data.txt"), TestFolder::sampleList());
    }

    void choiceFillsRowOfLastBrowse_data()
    {
        QTest::addColumn<bool>("byDoubleClick");
        QTest::newRow("Seç") << false;
        QTest::newRow("double click") << true;
    }

    void choiceFillsRowOfLastBrowse()
    {
        QFETCH(bool, byDoubleClick);
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(3);
        browse(5);
        doubleClickFolder(toolsName);
        choose(programName, byDoubleClick);

        const QString path = folder.filePath(toolsName) + '/' + programName;
        QCOMPARE(box(9), programName);
        QCOMPARE(box(10), path);
        QCOMPARE(box(5), "Başlık 3");
        QCOMPARE(box(6), "/yol/3");
        QCOMPARE(folder.read("sil.txt"), "\"9\"\r\n" + TestFolder::list({programName, path}));
        QVERIFY(!Form3::instance().isVisible());
        QVERIFY(settings().isVisible());
        QCOMPARE(folder.read("data.txt"), TestFolder::sampleList());
        QVERIFY(probe.prompts.isEmpty());
        QVERIFY(!probe.ended);
    }

    void unknownTargetFillsNothing_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("leading blank") << QByteArray("\" 5\"\r\n");
        QTest::newRow("leading zero") << QByteArray("\"05\"\r\n");
        QTest::newRow("even number") << QByteArray("\"4\"\r\n");
        QTest::newRow("beyond the rows") << QByteArray("\"19\"\r\n");
    }

    void unknownTargetFillsNothing()
    {
        QFETCH(QByteArray, target);
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(1);
        folder.write("sil.txt", target);
        doubleClickFolder(toolsName);
        choose("ikinci", false);
        for (int number = 1; number <= 18; ++number)
            QCOMPARE(box(number), number % 2 ? QStringLiteral("Başlık %1").arg((number + 1) / 2)
                                             : QStringLiteral("/yol/%1").arg(number / 2));
        QVERIFY(!Form3::instance().isVisible());
        QVERIFY(probe.prompts.isEmpty());
    }

    // Something outside removed the hand-off file between browse and choice:
    // the read-back runs short, which is reported, and the edits stay.
    void missingHandOffFileIsReported()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        settings().text(3)->setText("düzenleme");
        browse(2);
        QVERIFY(QFile::remove(folder.filePath("sil.txt")));
        doubleClickFolder(toolsName);
        choose("ikinci", false);
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY2(probe.prompts.first().contains("\"sil.txt\"") && probe.prompts.first().contains("3. alan"),
                 qPrintable(probe.prompts.first()));
        QVERIFY(!probe.ended);
        QCOMPARE(box(3), "düzenleme");
        QCOMPARE(box(4), "/yol/2");
        QVERIFY(Form3::instance().isVisible());
        QVERIFY(settings().isVisible());
    }

    // A name the list cannot hold would come back cut or changed: refused.
    void unstorableNameIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("quotation mark") << QStringLiteral("say \"hi\"");
        QTest::newRow("outside the code page") << QStringLiteral("程序");
    }

    void unstorableNameIsRefused()
    {
        QFETCH(QString, name);
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        folder.writeProgram(toolsName + '/' + name);
        SettingsWindow::open();
        browse(2);
        doubleClickFolder(toolsName);
        choose(name, false);
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY2(probe.prompts.first().contains("\"sil.txt\""), qPrintable(probe.prompts.first()));
        QCOMPARE(folder.read("sil.txt"), QByteArray("\"3\"\r\n"));
        QCOMPARE(box(3), "Başlık 2");
        QVERIFY(Form3::instance().isVisible());
        QVERIFY(!probe.ended);
    }

    void choiceWithoutSelectionDoesNothing()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(2);
        doubleClickFolder(toolsName);
        doubleClickFolder("alt klasör");
        QVERIFY(listedFiles().isEmpty());
        picker<QPushButton>("Command2")->click();
        QCOMPARE(box(3), "Başlık 2");
        QCOMPARE(box(4), "/yol/2");
        QCOMPARE(folder.read("sil.txt"), QByteArray("\"3\"\r\n"));
        QVERIFY(Form3::instance().isVisible());
    }

    void listsProgramsWhateverTheirCase()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(1);
        doubleClickFolder(toolsName);
        QCOMPARE(listedFiles(), (QStringList{programName, "BÜYÜK.EXE", "ikinci", "küçük.exe"}));
        QCOMPARE(picker<DirListBox>("Dir1")->path(), folder.filePath(toolsName));
        QCOMPARE(picker<FileListBox>("File1")->path(), folder.filePath(toolsName));
    }

    void singleClickHighlightsDoubleClickOpens()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(1);
        auto *dir = picker<DirListBox>("Dir1");
        QCOMPARE(dir->path(), folder.path());
        QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, dir->visualItemRect(folderItem(toolsName)).center());
        QCOMPARE(dir->path(), folder.path());
        QCOMPARE(picker<FileListBox>("File1")->path(), folder.path());
        QCOMPARE(listedFiles(), QStringList{});
        doubleClickFolder(toolsName);
        QCOMPARE(picker<FileListBox>("File1")->path(), folder.filePath(toolsName));
        // The chain up to the root stays in the list and opens a parent again.
        doubleClickFolder(QFileInfo(folder.path()).fileName());
        QCOMPARE(picker<FileListBox>("File1")->path(), folder.path());
    }

    void fileNameFollowsAccessibleSelection()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(4);
        doubleClickFolder(toolsName);
        auto *files = picker<FileListBox>("File1");
        QCOMPARE(files->fileName(), QString());
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(files);
        QVERIFY(list && list->tableInterface());
        QVERIFY(list->tableInterface()->selectRow(2));
        QCOMPARE(files->fileName(), "ikinci");
        picker<QPushButton>("Command2")->click();
        QCOMPARE(box(7), "ikinci");
    }

    void reopensWhereItWasOrAfreshAfterClose()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(1);
        doubleClickFolder(toolsName);
        choose("ikinci", false);
        browse(2);
        QCOMPARE(picker<DirListBox>("Dir1")->path(), folder.filePath(toolsName));
        QCOMPARE(picker<FileListBox>("File1")->fileName(), "ikinci");
        Form3::instance().close();
        QCOMPARE(folder.read("sil.txt"), QByteArray("\"3\"\r\n"));
        browse(2);
        QCOMPARE(picker<DirListBox>("Dir1")->path(), folder.path());
        QCOMPARE(picker<FileListBox>("File1")->path(), folder.path());
        QCOMPARE(picker<FileListBox>("File1")->pattern(), "*.EXE");
    }

    void choiceReachesHiddenSettings()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        browse(9);
        settings().findChild<QPushButton *>("Command3")->click();
        QVERIFY(!settings().isVisible());
        doubleClickFolder(toolsName);
        choose("ikinci", true);
        QVERIFY(!settings().isVisible());
        QVERIFY(!probe.ended);
        Form1::instance().findChild<QAction *>("Ayarlar")->trigger();
        QCOMPARE(box(17), "ikinci");
        QCOMPARE(box(18), folder.filePath(toolsName) + "/ikinci");
    }

    void chosenProgramStartsOnceSaved()
    {
        TestFolder folder;
        seed(folder);
        folder.writeProgram(toolsName + "/izle",
                            "#!/bin/sh\necho \"$@\" > \"$PWD/trace.part\"; mv \"$PWD/trace.part\" \"$PWD/trace.txt\"\n");
        {
            RuntimeProbe probe;
            SettingsWindow::open();
            browse(6);
            doubleClickFolder(toolsName);
            choose("izle", false);
            settings().text(12)->setText(settings().text(12)->text() + " bir iki");
            settings().findChild<QPushButton *>("Command1")->click();
            QVERIFY(probe.ended);
        }
        RuntimeProbe probe;
        Runtime::run([] { Form1::instance().show(); });
        QCOMPARE(Form1::instance().launchItem(6)->text(), "izle");
        Form1::instance().findChild<QAction *>("numara_çev")->trigger();
        QVERIFY(probe.prompts.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(folder.exists("trace.txt"), 5000);
        QCOMPARE(folder.read("trace.txt"), QByteArray("bir iki\n"));
    }

    void unwritableHandOffFileChangesNothing()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        SettingsWindow::open();
        settings().text(1)->setText("düzenleme");
        QVERIFY(QDir(folder.path()).mkdir("sil.txt"));
        browse(1);
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY(probe.prompts.first().contains("\"sil.txt\""));
        QVERIFY(!Form3::instance().isVisible());
        QVERIFY(!probe.ended);

        QVERIFY(QDir(folder.path()).rmdir("sil.txt"));
        browse(1);
        doubleClickFolder(toolsName);
        selectFile("ikinci");
        QFile::remove(folder.filePath("sil.txt"));
        QVERIFY(QDir(folder.path()).mkdir("sil.txt"));
        picker<QPushButton>("Command2")->click();
        QCOMPARE(probe.prompts.size(), 2);
        QVERIFY(probe.prompts.last().contains("\"sil.txt\""));
        QVERIFY(Form3::instance().isVisible());
        QCOMPARE(box(1), "düzenleme");
        QCOMPARE(box(2), "/yol/1");
        QVERIFY(!probe.ended);
    }

    // A second volume: a folder of the test bound onto another, where the
    // machine lets the test mount.
    void driveChangeRefreshesBothLists()
    {
        TestFolder folder;
        RuntimeProbe probe;
        seed(folder);
        folder.writeProgram("kaynak/ses");
        QDir().mkpath(folder.filePath("birim"));
        const QString mountPoint = folder.filePath("birim");
        if (QProcess::execute("mount", {"--bind", folder.filePath("kaynak"), mountPoint}) != 0)
            QSKIP("no permission to mount a second volume here");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint}); });
        const QString working = Volumes::of(folder.path()).text;
        const QString other = Volumes::of(mountPoint).text;
        QCOMPARE(other, mountPoint);

        SettingsWindow::open();
        browse(1);
        doubleClickFolder(toolsName);
        auto *drive = picker<DriveListBox>("Drive1");
        auto select = [drive](const QString &text) {
            drive->setCurrentIndex(drive->findText(text));
            emit drive->activated(drive->currentIndex());
        };
        QCOMPARE(drive->drive(), working);
        QVERIFY(drive->findText(other) >= 0);
        select(other);
        QCOMPARE(picker<DirListBox>("Dir1")->path(), mountPoint);
        QCOMPARE(picker<FileListBox>("File1")->path(), mountPoint);
        QCOMPARE(listedFiles(), QStringList{"ses"});
        // Back on the first volume, its last open folder is current again.
        select(working);
        QCOMPARE(picker<DirListBox>("Dir1")->path(), folder.filePath(toolsName));
        QCOMPARE(picker<FileListBox>("File1")->path(), folder.filePath(toolsName));

        // A volume that went away is reported; the previous drive stays.
        QCOMPARE(QProcess::execute("umount", {mountPoint}), 0);
        QVERIFY(QDir(mountPoint).removeRecursively());
        select(other);
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY2(probe.prompts.first().contains(mountPoint), qPrintable(probe.prompts.first()));
        QCOMPARE(drive->drive(), working);
        QCOMPARE(picker<DirListBox>("Dir1")->path(), folder.filePath(toolsName));
        QVERIFY(!probe.ended);
        QVERIFY(Form3::instance().isVisible());
    }
};

QTEST_MAIN(PickerTest)
#include "tst_picker.moc"
