// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/fieldreader.h"
#include "text/handoffrecord.h"
#include "text/recordwriter.h"
#include "text/windows1254.h"

#include "row.h"

#include <QBuffer>
#include <QTest>

namespace {
// Windows-1254 as published: 0x80 to 0x9F in full (the seven undefined bytes stand for the C1 control of the same
// value), then the six Turkish letters that differ from Latin-1; every other byte is its Latin-1 character.
constexpr char16_t c1Row[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                 0x2039, 0x0152, 0x008D, 0x008E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178 };
constexpr std::pair<uchar, char16_t> turkish[] = { { 0xD0, 0x011E }, { 0xDD, 0x0130 }, { 0xDE, 0x015E },
                                                   { 0xF0, 0x011F }, { 0xFD, 0x0131 }, { 0xFE, 0x015F } };
}

class TextTest : public QObject
{
    Q_OBJECT

private slots:
    void codePage_data()
    {
        QTest::addColumn<uchar>("byte");
        QTest::addColumn<QChar>("character");
        for (int byte = 0; byte < 256; ++byte) {
            char16_t expected = byte >= 0x80 && byte < 0xA0 ? c1Row[byte - 0x80] : char16_t(byte);
            for (const auto &[code, letter] : turkish)
                expected = byte == code ? letter : expected;
            QTest::addRow("0x%02X", byte) << uchar(byte) << QChar(expected);
        }
    }
    void codePage()
    {
        QFETCH(uchar, byte);
        QFETCH(QChar, character);
        QCOMPARE(Windows1254::decode(QByteArray(1, char(byte))), QString(character));
        QByteArray encoded;
        QVERIFY(Windows1254::encode(QString(character), &encoded));
        QCOMPARE(encoded, QByteArray(1, char(byte)));
    }

    // The reader takes a field and its delimiter and never looks further, so whatever follows the records a
    // reader needs is never read: where the rows give a place, fields are taken until there and no more.
    void readsFields_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("stoppedAt"); // -1: read to the end
        row("stored form", QByteArray("\"a\",\"b\"\r\n\"\",\"\"\r\n"), QStringList { "a", "b", "", "" }, -1);
        row("comma and blanks inside quotes", QByteArray("\"A, B\",\" C:\\x y.exe \"\r\n"),
            QStringList { "A, B", " C:\\x y.exe " }, -1);
        row("LF, lone CR line ends", QByteArray("\"a\",\"b\"\n\"c\"\r\"d\"\r"), QStringList { "a", "b", "c", "d" }, -1);
        row("blank line is one empty field", QByteArray("\"a\",\"b\"\r\n\r\n\"c\"\r\n"),
            QStringList { "a", "b", "", "c" }, -1);
        row("unquoted fields lose outer blanks", QByteArray("  hesap  ,\t/usr/bin/x y \r\nz,\r\n"),
            QStringList { "hesap", "/usr/bin/x y", "z", "" }, -1);
        row("blanks before a quotation mark", QByteArray("   \"a\",  \"b\""), QStringList { "a", "b" }, -1);
        row("junk after a closing quotation mark", QByteArray("\"a\"xyz,\"b\" q\r\n"), QStringList { "a", "b" }, -1);
        row("unquoted last field without line end", QByteArray("a,b"), QStringList { "a", "b" }, -1);
        row("unterminated quotation holds the rest", QByteArray("\"a\",\"b,\r\nc"), QStringList { "a", "b,\r\nc" }, -1);
        row("empty file has no field", QByteArray(), QStringList {}, -1);
        row("largest field, a blank: past the budget", " \"" + QByteArray(65536, 'x') + "\"\r\n", QStringList {}, -1);
        const QByteArray nine = QByteArray("\"c\",\"p\"\r\n").repeated(9);
        row("nine records, then junk", nine + "\xff\"never", QString("c p ").repeated(9).split(' ', Qt::SkipEmptyParts),
            int(nine.size()));
        row("quoted field, then junk", QByteArray("\"a\"xy,rest"), QStringList { "a" }, 6);
        row("lone CR, then a field", QByteArray("a\rb"), QStringList { "a" }, 2);
    }
    void readsFields()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        QFETCH(int, stoppedAt);
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        FieldReader reader(&buffer);
        QStringList read;
        QByteArray field;
        for (qsizetype left = stoppedAt < 0 ? -1 : fields.size(); left != 0 && reader.next(&field); --left)
            read << Windows1254::decode(field);
        QCOMPARE(read, fields);
        if (stoppedAt >= 0)
            QCOMPARE(buffer.pos(), qint64(stoppedAt));
    }

    void writesRecords_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("refused");
        row("two fields", QStringList { "A, B", "C:\\x y.exe" }, QByteArray("\"A, B\",\"C:\\x y.exe\"\r\n"), "");
        row("empty entry", QStringList { "", "" }, QByteArray("\"\",\"\"\r\n"), "");
        row("Turkish letters", QStringList { "İşğ", "ı" }, QByteArray("\"\xdd\xfe\xf0\",\"\xfd\"\r\n"), "");
        row("undefined byte kept", QStringList { QString(QChar(0x81)) }, QByteArray("\"\x81\"\r\n"), "");
        row("quotation mark", QStringList { "ok", "a\"b" }, QByteArray(), "\"");
        row("carriage return", QStringList { "a\rb" }, QByteArray(), "\r");
        row("line feed", QStringList { "a\nb" }, QByteArray(), "\n");
        row("outside the code page", QStringList { "a€日" }, QByteArray(), "日");
        row("outside the BMP", QStringList { "x😀" }, QByteArray(), "😀");
    }
    void writesRecords()
    {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, line);
        QFETCH(QString, refused);
        QByteArray written = "untouched";
        QCOMPARE(RecordWriter::format(fields, &written), refused.isEmpty());
        QCOMPARE(written, refused.isEmpty() ? line : QByteArray("untouched"));
        QCOMPARE(RecordWriter::unstorableCharacter(fields.last()), refused);
    }

    void handOffTargets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row");
        row("row 1", "1", 1);
        row("row 2", "3", 2);
        row("row 6", "11", 6);
        row("row 9", "17", 9);
        for (const char *other : { "2", "01", " 1", "1 ", "19", "-1", "" })
            QTest::addRow("not a row: '%s'", other) << other << 0;
    }
    void handOffTargets()
    {
        QFETCH(QString, text);
        QFETCH(int, row);
        QCOMPARE(HandOffRecord::rowOfTarget(text).number, row);
        if (row)
            QCOMPARE(HandOffRecord::targetLine({ row }), QStringList { text });
    }
};

QTEST_APPLESS_MAIN(TextTest)
#include "tst_text.moc"
