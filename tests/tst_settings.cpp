#include "app/runtime.h"
#include "launcher/form1.h"
#include "runtimeprobe.h"
#include "settingswindow.h"
#include "settings/form2.h"
#include "testfolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>


namespace {
QStringList sampleFields()
{
    QStringList fields;
    for (int k = 1; k <= 9; ++k)
        fields << QStringLiteral("Başlık %1").arg(k) << QStringLiteral("/yol/%1").arg(k);
    return fields;
}
}

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void showsRecordsInFileOrder()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList() + "\"onuncu\",\"/yol/10\"\r\n");
        SettingsWindow::open();
        QVERIFY(Form2::instance().isVisible());
        QCOMPARE(SettingsWindow::texts(), sampleFields());
        QCOMPARE(Form2::instance().focusWidget(), SettingsWindow::box(1));
        QVERIFY(probe.prompts.isEmpty());
    }

    void tabOrderFollowsRowsThenButtons()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        SettingsWindow::open();
        QStringList expected;
        for (int number = 1; number <= 18; ++number)
            expected << QStringLiteral("Text%1").arg(number);
        for (int number = 1; number <= 12; ++number)
            expected << QStringLiteral("Command%1").arg(number);
        QStringList order;
        QWidget *widget = SettingsWindow::box(1);
        do {
            if (widget->focusPolicy() & Qt::TabFocus)
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != SettingsWindow::box(1));
        QCOMPARE(order, expected);
        QCOMPARE(Form2::instance().findChild<QPushButton *>("Command2")->text(),
                 QString::fromUtf8("Değişiklikleri  iptal et"));
    }

    void saveWritesExactNineLines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("stored form") << TestFolder::sampleList();
        QByteArray handEdited = TestFolder::sampleList();
        handEdited.replace("\r\n", "\n").replace("\"", "");
        QTest::newRow("unquoted, LF line ends, extra records")
            << handEdited + "onuncu,/yol/10\nfazla\n";
        QByteArray spread = TestFolder::sampleList();
        spread.replace("\",\"", "\"\r\"");
        QTest::newRow("caption and path on separate lines") << spread;
    }

    void saveWritesExactNineLines()
    {
        QFETCH(QByteArray, before);
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", before);
        SettingsWindow::open();
        QCOMPARE(SettingsWindow::texts(), sampleFields());
        SettingsWindow::box(3)->setText("Hesap Makinesi, ğüşıöç");
        SettingsWindow::box(4)->setText(" /usr/bin/Gnome Calc --mod=bilimsel ");
        SettingsWindow::box(17)->clear();
        SettingsWindow::press("Command1");

        QStringList fields = sampleFields();
        fields[2] = "Hesap Makinesi, ğüşıöç";
        fields[3] = " /usr/bin/Gnome Calc --mod=bilimsel ";
        fields[16] = "";
        QCOMPARE(folder.read("data.txt"), TestFolder::list(fields));
        QVERIFY(folder.read("data.txt").contains("\xf0\xfc\xfe\xfd\xf6\xe7"));
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 0);
        QVERIFY(!Form2::instance().isVisible());
    }

    void emptyRowsSaveAsEmptyRecords()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        SettingsWindow::open();
        for (int number = 1; number <= 18; ++number)
            SettingsWindow::box(number)->clear();
        SettingsWindow::press("Command1");
        QCOMPARE(folder.read("data.txt"), QByteArray("\"\",\"\"\r\n").repeated(9));
    }

    void revertReloadsEveryBox()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        SettingsWindow::open();
        SettingsWindow::box(1)->setText("düzenlendi");
        // As the picker fills a row.
        Form2::instance().text(11)->setText("seçilen");
        Form2::instance().text(12)->setText("/bir/yer/seçilen");
        QStringList changed = sampleFields();
        changed[7] = "başka programın yazdığı";
        folder.write("data.txt", TestFolder::list(changed));
        SettingsWindow::press("Command2");
        QCOMPARE(SettingsWindow::texts(), changed);
        QVERIFY(Form2::instance().isVisible());
        QVERIFY(!probe.ended);
        QCOMPARE(folder.read("data.txt"), TestFolder::list(changed));
    }

    void hideKeepsEditsAndCloseDropsThem()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        SettingsWindow::open();
        Form2 *first = &Form2::instance();
        SettingsWindow::box(2)->setText("/düzenlenmiş/yol");
        SettingsWindow::press("Command3");
        QVERIFY(!Form2::instance().isVisible());
        QVERIFY(!probe.ended);
        Form1::instance().findChild<QAction *>("Ayarlar")->trigger();
        QCOMPARE(&Form2::instance(), first);
        QCOMPARE(SettingsWindow::box(2)->text(), "/düzenlenmiş/yol");
        QCOMPARE(folder.read("data.txt"), TestFolder::sampleList());

        Form2::instance().close();
        QVERIFY(!probe.ended);
        Form1::instance().findChild<QAction *>("Ayarlar")->trigger();
        QVERIFY(Form2::instance().isVisible());
        QCOMPARE(SettingsWindow::texts(), sampleFields());
    }

    void hidingTheLastVisibleWindowEnds()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        SettingsWindow::open();
        Form1::instance().close();
        QVERIFY(!probe.ended);
        SettingsWindow::press("Command3");
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 0);
    }

    void unstorableTextRefusesTheSave_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("where");
        QTest::newRow("quotation mark in a caption") << 5 << "a\"b" << "3. satırın \"Başlık\"";
        QTest::newRow("character outside the code page in a path") << 18 << "/yol/中" << "9. satırın \"Yol\"";
        QTest::newRow("euro sign is storable, emoji is not") << 2 << "€ 😀" << "1. satırın \"Yol\"";
    }

    void unstorableTextRefusesTheSave()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QFETCH(QString, where);
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        SettingsWindow::open();
        SettingsWindow::box(1)->setText("düzenleme");
        SettingsWindow::box(number)->setText(text);
        const QStringList edited = SettingsWindow::texts();
        SettingsWindow::press("Command1");

        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY2(probe.prompts.first().contains(where), qPrintable(probe.prompts.first()));
        QCOMPARE(probe.titles.first(), "Hızlı");
        QVERIFY(!probe.ended);
        QVERIFY(Form2::instance().isVisible());
        QCOMPARE(SettingsWindow::texts(), edited);
        QCOMPARE(folder.read("data.txt"), TestFolder::sampleList());
    }

    void shortListAtRevertFailsAfterEarlierRows()
    {
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", TestFolder::sampleList());
        SettingsWindow::open();
        folder.write("data.txt", TestFolder::list({"bir", "/1", "iki", "/2", "üç", "/3", "dört", "/4"}));
        SettingsWindow::press("Command2");
        QCOMPARE(SettingsWindow::box(7)->text(), "dört");
        QCOMPARE(SettingsWindow::box(9)->text(), "Başlık 5");
        QCOMPARE(probe.prompts.size(), 1);
        QVERIFY(probe.prompts.first().contains("9. alan"));
        QCOMPARE(probe.status, 1);
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
