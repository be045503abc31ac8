// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include "desktop/datafolder.h"

#include <QDir>
#include <QTest>

class DesktopTest : public Fixture
{
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
