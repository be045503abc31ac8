#include "app/filetable.h"
#include "store/fieldreader.h"
#include "store/shortcutlist.h"
#include "testfolder.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 junkSize = 100 * 1024 * 1024;

// Bytes this process has taken in through read calls so far.
qint64 bytesReadByProcess()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = io.readAll();
    const qsizetype at = text.indexOf("rchar:");
    return at < 0 ? -1 : text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().toLongLong();
}

void appendJunk(const QString &name)
{
    QRandomGenerator random(100);
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (char &c : block)
        c = char(random.bounded(256));
    QFile file(name);
    QVERIFY(file.open(QIODevice::Append));
    for (qint64 written = 0; written < junkSize; written += block.size())
        QCOMPARE(file.write(block), block.size());
}

struct Read
{
    ShortcutList::Entries entries;
    qint64 bytesRead = 0;
    qint64 nanoseconds = 0;
};

// Nine entries the way the program reads them.
Read readNine()
{
    Read read;
    QElapsedTimer timer;
    const qint64 before = bytesReadByProcess();
    timer.start();
    ShortcutList::openForReading();
    for (ShortcutEntry &entry : read.entries)
        entry = ShortcutList::readEntry();
    ShortcutList::close();
    read.nanoseconds = timer.nsecsElapsed();
    read.bytesRead = bytesReadByProcess() - before;
    return read;
}

qint64 fastest(int times)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < times; ++i)
        best = std::min(best, readNine().nanoseconds);
    return best;
}

}

// Reading the list costs what the nine records take, whatever follows them.
class ReadCostTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(bytesReadByProcess() >= 0); }
    void cleanup() { FileTable::closeAll(); }

    void junkAfterTheListIsNeverRead_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::newRow("stored form") << TestFolder::sampleList();
        QByteArray handEdited;
        for (int k = 1; k <= 9; ++k)
            handEdited += "  Öğe " + QByteArray::number(k) + " , /usr/bin/x" + QByteArray::number(k) + "\n";
        QTest::newRow("unquoted, LF line ends") << handEdited;
        QByteArray spread = TestFolder::sampleList();
        spread.replace("\",\"", "\"\r\"");
        QTest::newRow("spread over lines, more records after")
            << spread + "\"onuncu\",\"/yol/10\"\r\n";
    }

    void junkAfterTheListIsNeverRead()
    {
        QFETCH(QByteArray, list);
        TestFolder folder;
        folder.write("data.txt", list);
        const Read first = readNine();
        const ShortcutList::Entries alone = first.entries;
        // The count is real: the list alone is read whole.
        QVERIFY(first.bytesRead >= list.size());
        const qint64 aloneTime = fastest(5);

        appendJunk(folder.filePath("data.txt"));
        QCOMPARE(QFileInfo(folder.filePath("data.txt")).size(), list.size() + junkSize);
        const Read withJunk = readNine();
        QVERIFY(withJunk.entries == alone);
        // The file is read through a buffer of some kilobytes.
        QVERIFY2(withJunk.bytesRead <= list.size() + 64 * 1024,
                 qPrintable(QStringLiteral("%1 bytes read").arg(withJunk.bytesRead)));
        const qint64 junkTime = fastest(5);
        QVERIFY2(junkTime < 20 * aloneTime + 50'000'000,
                 qPrintable(QStringLiteral("%1 ns against %2 ns").arg(junkTime).arg(aloneTime)));

        // The reader takes exactly the list's eighteen fields from the file.
        QFile file(folder.filePath("data.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        FieldReader reader(&file);
        QByteArray field;
        qint64 lastEnd = 0;
        for (int i = 0; i < 2 * ShortcutList::size; ++i) {
            QVERIFY(reader.next(&field));
            lastEnd = file.pos();
        }
        QByteArray afterList = list;
        {
            QBuffer buffer(&afterList);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            FieldReader listReader(&buffer);
            for (int i = 0; i < 2 * ShortcutList::size; ++i)
                QVERIFY(listReader.next(&field));
            QCOMPARE(lastEnd, buffer.pos());
        }
    }
};

QTEST_GUILESS_MAIN(ReadCostTest)
#include "tst_readcost.moc"
