#include "app/runtime.h"
#include "controls/wrapmenubar.h"
#include "launcher/form1.h"
#include "runtimeprobe.h"
#include "testfolder.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {
const QStringList itemNames = {"radio", "hesap_mak", "index_htm", "redhouse", "iexplorer",
                               "numara_çev", "web_okulu", "mtu_sözlük", "pbrush", "Ayarlar", "Omrak"};

QAction *item(const QString &name)
{
    return Form1::instance().findChild<QAction *>(name);
}

void startLauncher()
{
    Runtime::run([] { Form1::instance().show(); });
}

// Writes its arguments, one a line, to trace.txt in its working folder.
const QByteArray tracer = "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$PWD/trace.part\"\n"
                          "mv \"$PWD/trace.part\" \"$PWD/trace.txt\"\n";
}

class LauncherTest : public QObject
{
    Q_OBJECT

private slots:
    void showsRecordCaptionsInOrder_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("captions");
        QStringList nine;
        QStringList fields;
        for (int k = 1; k <= 9; ++k) {
            nine << QStringLiteral("Öğe %1").arg(k);
            fields << nine.last() << QStringLiteral("/p/%1").arg(k);
        }
        QTest::newRow("nine records") << TestFolder::list(fields) << nine;
        QTest::newRow("ten records, the tenth ignored")
            << TestFolder::list(fields + QStringList{"onuncu", "/p/10"}) << nine;
        QStringList odd = fields;
        odd[0] = "";
        odd[4] = odd[6] = "Aynı";
        QTest::newRow("empty and repeated captions")
            << TestFolder::list(odd)
            << QStringList{"", "Öğe 2", "Aynı", "Aynı", "Öğe 5", "Öğe 6", "Öğe 7", "Öğe 8", "Öğe 9"};
        QTest::newRow("hand-edited layout")
            << QByteArray("bir,/p/1\n\"iki\"\n/p/2\r\"\xfc\xe7\" , x\r\n4,4\n5,5\n6,6\n7,7\n8,8\n9,9")
            << QStringList{"bir", "iki", "üç", "4", "5", "6", "7", "8", "9"};
    }

    void showsRecordCaptionsInOrder()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, captions);
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", bytes);
        startLauncher();
        QVERIFY(probe.prompts.isEmpty());
        QVERIFY(!probe.ended);
        QVERIFY(Form1::instance().isVisible());
        const QList<QAction *> items = Form1::instance().findChild<WrapMenuBar *>()->items();
        QCOMPARE(items.size(), 11);
        for (int i = 0; i < 11; ++i)
            QCOMPARE(items.at(i)->objectName(), itemNames.at(i));
        for (int position = 1; position <= 9; ++position)
            QCOMPARE(Form1::instance().launchItem(position)->text(), captions.at(position - 1));
        QCOMPARE(item("Ayarlar")->text(), "Ayarlar");
        QCOMPARE(item("Omrak")->text(), "Omrak");
    }

    void badListShowsErrorAndNoWindow_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << QByteArray() << "bulunamadı";
        QByteArray eight;
        for (int k = 1; k <= 8; ++k)
            eight += TestFolder::list({"a", "b"});
        QTest::newRow("eight records") << eight << "17. alan";
    }

    void badListShowsErrorAndNoWindow()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        TestFolder folder;
        RuntimeProbe probe;
        if (!bytes.isEmpty())
            folder.write("data.txt", bytes);
        startLauncher();
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY(probe.prompts.first().contains(expected));
        QVERIFY(probe.prompts.first().contains("data.txt"));
        QCOMPARE(probe.titles.first(), "Hızlı");
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 1);
        QVERIFY(!Form1::instance().isVisible());
    }

    void launchItemStartsItsOwnRecord_data()
    {
        QTest::addColumn<int>("position");
        for (int position = 1; position <= 9; ++position)
            QTest::addRow("%s", qPrintable(itemNames.at(position - 1))) << position;
    }

    void launchItemStartsItsOwnRecord()
    {
        QFETCH(int, position);
        TestFolder folder;
        RuntimeProbe probe;
        const QString script = folder.writeProgram("bin dir/izle", tracer);
        QStringList fields;
        for (int k = 1; k <= 9; ++k)
            fields << QStringLiteral("K%1").arg(k) << QStringLiteral("%1 kayıt %2 a,b").arg(script).arg(k);
        folder.write("data.txt", TestFolder::list(fields + QStringList{"10", "/yok"}));
        startLauncher();

        // The click reads the file again: a caption changed since start-up shows.
        fields[2 * (position - 1)] = QStringLiteral("Yeni %1").arg(position);
        folder.write("data.txt", TestFolder::list(fields));
        item(itemNames.at(position - 1))->trigger();

        QVERIFY(probe.prompts.isEmpty());
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 0);
        QVERIFY(!Form1::instance().isVisible());
        QCOMPARE(Form1::instance().launchItem(position)->text(), QStringLiteral("Yeni %1").arg(position));
        QTRY_VERIFY_WITH_TIMEOUT(folder.exists("trace.txt"), 5000);
        QCOMPARE(QString::fromUtf8(folder.read("trace.txt")),
                 QStringLiteral("kayıt\n%1\na,b\n").arg(position));
    }

    void failedStartReportsAfterCaptionWasSet()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        startLauncher();
        QStringList fields;
        for (int k = 1; k <= 9; ++k)
            fields << QStringLiteral("C%1").arg(k) << QStringLiteral("/yok/program %1").arg(k);
        folder.write("data.txt", TestFolder::list(fields));
        item("redhouse")->trigger();

        QCOMPARE(Form1::instance().launchItem(4)->text(), "C4");
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY(probe.prompts.first().contains("/yok/program 4"));
        QCOMPARE(probe.status, 1);
    }

    void listCutAfterStartFailsBeyondItsEnd()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        startLauncher();
        folder.write("data.txt", TestFolder::list({"1", "/a", "2", "/b", "3", "/c", "4", "/d"}));
        item("iexplorer")->trigger();
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY(probe.prompts.first().contains("9. alan"));
        QCOMPARE(probe.status, 1);
        QCOMPARE(Form1::instance().launchItem(5)->text(), "Başlık 5");
    }

    void aboutShowsExactMessage()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        startLauncher();
        item("Omrak")->trigger();
        const QString expected = QString::fromUtf8(
            "Bu program ile kısayollarınız\n\raraç çubuğunda yer kaplamayacak!\n\r\n\r"
            "Bu programın kısayolunu\n\raraç çubuğuna koyun ve\n\rdiğer programları rahatça çağırın"
            "\n\r\n\rHızlı © 2026\n\rTüm hakları saklıdır.");
        QCOMPARE(probe.prompts, QStringList{expected});
        QCOMPARE(probe.titles, QStringList{"Hakkında"});
        const QStringList shown = Runtime::displayText(expected).split('\n');
        QCOMPARE(shown.size(), 9);
        QCOMPARE(shown.at(2), QString());
        QCOMPARE(shown.at(6), QString());
        QVERIFY(!probe.ended);
        QVERIFY(Form1::instance().isVisible());
    }

    void kapatEndsWithStatusZero()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        startLauncher();
        Form1::instance().findChild<QPushButton *>("Command1")->click();
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 0);
        QVERIFY(probe.prompts.isEmpty());
    }

    void closingTheLastWindowEnds()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        startLauncher();
        Form1::instance().close();
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 0);
    }

    void allItemsFitAboveTheClientArea_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("captions wider than the window") << "Çok uzun bir başlık";
        QTest::newRow("captions shorter than the item names") << "a";
    }

    void allItemsFitAboveTheClientArea()
    {
        QFETCH(QString, caption);
        TestFolder folder;
        RuntimeProbe probe;
        QStringList fields;
        for (int k = 1; k <= 9; ++k)
            fields << caption << "/p";
        folder.write("data.txt", TestFolder::list(fields));
        startLauncher();
        Form1 &form = Form1::instance();
        auto *bar = form.findChild<WrapMenuBar *>();
        QWidget *client = form.centralWidget();
        QCOMPARE(client->size(), QSize(72, 33));
        QCOMPARE(QRect(client->mapToGlobal(QPoint(0, 0)), client->size()), QRect(88, 539, 72, 33));
        QCOMPARE(bar->width(), 72);
        QCOMPARE(bar->height(), bar->heightForWidth(72));
        QCOMPARE(form.height(), bar->height() + 33);
        QVERIFY(bar->mapTo(&form, QPoint(0, bar->height())).y() <= client->mapTo(&form, QPoint(0, 0)).y());
        QRect previous;
        for (int i = 0; i < 11; ++i) {
            const QRect r = bar->itemRect(i);
            QVERIFY2(bar->rect().contains(r), qPrintable(itemNames.at(i)));
            QVERIFY(r.width() > 0 && r.height() > 0);
            if (i > 0)
                QVERIFY(r.top() > previous.top() || (r.top() == previous.top() && r.left() >= previous.right()));
            previous = r;
        }
        QCOMPARE(form.findChild<QPushButton *>("Command1")->geometry(), QRect(0, 0, 73, 33));
    }

    void menuClickAndAccessiblePressTrigger()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        startLauncher();
        auto *bar = Form1::instance().findChild<WrapMenuBar *>();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->itemRect(10).center());
        QCOMPARE(probe.titles, QStringList{"Hakkında"});

        QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(bar);
        QVERIFY(menu);
        QCOMPARE(menu->role(), QAccessible::MenuBar);
        QCOMPARE(menu->childCount(), 11);
        for (int i = 0; i < 11; ++i) {
            QAccessibleInterface *child = menu->child(i);
            QCOMPARE(child->role(), QAccessible::MenuItem);
            QCOMPARE(child->text(QAccessible::Name), bar->items().at(i)->text());
            QCOMPARE(menu->indexOfChild(child), i);
            QCOMPARE(child->parent(), menu);
        }
        QCOMPARE(menu->child(8)->text(QAccessible::Name), "Başlık 9");
        QAccessibleActionInterface *press = menu->child(10)->actionInterface();
        QVERIFY(press);
        QCOMPARE(press->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        press->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(probe.titles, (QStringList{"Hakkında", "Hakkında"}));
    }
};

QTEST_MAIN(LauncherTest)
#include "tst_launcher.moc"
