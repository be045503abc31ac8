#include "app/filetable.h"
#include "app/runtime.h"
#include "app/runtimeerror.h"
#include "runtimeprobe.h"
#include "settings/form2.h"
#include "store/recordwriter.h"
#include "store/shortcutlist.h"
#include "settingswindow.h"
#include "testfolder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <vector>

namespace {

// One character of a list and the byte that stands for it in the file. The
// table is written out here rather than taken from the program's converter,
// so that a converter that maps a character to another byte shows up.
struct Letter
{
    QChar character;
    char byte;
};

using Alphabet = std::vector<Letter>;

Alphabet codePage()
{
    // 0x80 to 0x9F; 0 where the code page defines no character, which then
    // stands for the C1 control of the same value.
    static const char16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178,
    };
    Alphabet letters;
    for (int value = 0; value < 256; ++value) {
        if (value == '"' || value == '\r' || value == '\n')
            continue;
        char16_t unicode = char16_t(value);
        if (value >= 0x80 && value < 0xA0 && high[value - 0x80] != 0)
            unicode = high[value - 0x80];
        switch (value) {
        case 0xD0: unicode = u'Ğ'; break;
        case 0xDD: unicode = u'İ'; break;
        case 0xDE: unicode = u'Ş'; break;
        case 0xF0: unicode = u'ğ'; break;
        case 0xFD: unicode = u'ı'; break;
        case 0xFE: unicode = u'ş'; break;
        }
        letters.push_back({QChar(unicode), char(value)});
    }
    return letters;
}

Alphabet only(const QString &characters)
{
    Alphabet letters;
    for (const Letter &letter : codePage()) {
        if (characters.contains(letter.character))
            letters.push_back(letter);
    }
    return letters;
}

struct Field
{
    QString text;
    QByteArray bytes;
};

// Fields as users write them: often empty, often with blanks at either end,
// with commas and backslashes among the letters.
Field randomField(QRandomGenerator &random, const Alphabet &letters)
{
    Field field;
    if (random.bounded(5) == 0)
        return field;
    const auto add = [&field](const Letter &letter) {
        field.text += letter.character;
        field.bytes += letter.byte;
    };
    const Letter blank{u' ', ' '};
    const Letter comma{u',', ','};
    const Letter backslash{u'\\', '\\'};
    if (random.bounded(4) == 0)
        add(blank);
    const int length = int(random.bounded(1, 24));
    for (int i = 0; i < length; ++i) {
        switch (random.bounded(12)) {
        case 0: add(comma); break;
        case 1: add(backslash); break;
        case 2: add(blank); break;
        default: add(letters.at(random.bounded(quint32(letters.size()))));
        }
    }
    if (random.bounded(4) == 0)
        add(blank);
    return field;
}

QString describe(const ShortcutList::Entries &entries)
{
    QStringList parts;
    for (const ShortcutEntry &entry : entries)
        parts << "[" + entry.caption + "|" + entry.path + "]";
    return parts.join(' ');
}

}

class RoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { FileTable::closeAll(); }

    void storableListsReadBackExactly_data()
    {
        QTest::addColumn<QString>("characters");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("lists");
        QTest::newRow("printable ASCII") << QStringLiteral(" !#$%&'()*+,-./0123456789:;<=>?@ABCXYZ[\\]^_`abcxyz{|}~")
                                         << 1254u << 800;
        QTest::newRow("Turkish letters") << QStringLiteral("aeiouçÇğĞıİöÖşŞüÜ -/.") << 1923u << 800;
        QTest::newRow("the whole code page") << QString() << 2026u << 1200;
    }

    void storableListsReadBackExactly()
    {
        QFETCH(QString, characters);
        QFETCH(quint32, seed);
        QFETCH(int, lists);
        const Alphabet letters = characters.isEmpty() ? codePage() : only(characters);
        QVERIFY(characters.isEmpty() || qsizetype(letters.size()) == characters.size());
        TestFolder folder;
        QRandomGenerator random(seed);
        for (int n = 0; n < lists; ++n) {
            ShortcutList::Entries entries;
            QByteArray expected;
            for (ShortcutEntry &entry : entries) {
                const Field caption = randomField(random, letters);
                const Field path = randomField(random, letters);
                entry = {caption.text, path.text};
                expected += "\"" + caption.bytes + "\",\"" + path.bytes + "\"\r\n";
            }
            const QByteArray context = QStringLiteral("list %1: %2").arg(n).arg(describe(entries)).toUtf8();

            ShortcutList::write(entries);
            QVERIFY2(folder.read("data.txt") == expected, context);

            ShortcutList::openForReading();
            for (const ShortcutEntry &entry : entries)
                QVERIFY2(ShortcutList::readEntry() == entry, context);
            // The nine records are all the file holds.
            QVERIFY_THROWS_EXCEPTION(RuntimeError, FileTable::readField(ShortcutList::fileNumber));
            ShortcutList::close();
        }
    }

    // Any text at all is either refused before anything is written, or
    // stored so that it reads back as itself: nothing is silently replaced.
    void anyTextIsRefusedOrKept()
    {
        TestFolder folder;
        QRandomGenerator random(8);
        const Alphabet letters = codePage();
        const QByteArray before = TestFolder::sampleList();
        int refused = 0;
        int kept = 0;
        for (int n = 0; n < 800; ++n) {
            QString text;
            const int length = int(random.bounded(1, 6));
            for (int i = 0; i < length; ++i) {
                // Half the time a character the code page has, so that whole
                // texts are often storable; else anything, surrogates included.
                if (random.bounded(2) == 0) {
                    text += letters.at(random.bounded(quint32(letters.size()))).character;
                    continue;
                }
                const char32_t code = random.bounded(3) == 0 ? char32_t(random.bounded(0x20000))
                                                             : char32_t(random.bounded(0x2200));
                text += code >= 0x10000 ? QString::fromUcs4(&code, 1) : QString(QChar(char16_t(code)));
            }
            folder.write("data.txt", before);
            ShortcutList::Entries entries;
            entries[n % 9] = {text, QStringLiteral("/yol")};
            const QByteArray context = QStringLiteral("text %1").arg(QString::number(text.at(0).unicode(), 16)).toUtf8();
            if (!RecordWriter::unstorableCharacter(text).isEmpty()) {
                ++refused;
                QVERIFY_THROWS_EXCEPTION(RuntimeError, ShortcutList::write(entries));
                QVERIFY2(folder.read("data.txt") == before, context);
                continue;
            }
            ++kept;
            ShortcutList::write(entries);
            ShortcutList::openForReading();
            for (const ShortcutEntry &entry : entries)
                QVERIFY2(ShortcutList::readEntry() == entry, context);
            ShortcutList::close();
        }
        QVERIFY(refused > 100);
        QVERIFY(kept > 50);
    }

    void undefinedBytesSurviveTheSettingsWindow_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray undefined("\x81\x8d\x8e\x8f\x90\x9d\x9e");
        QByteArray list;
        for (int k = 0; k < 9; ++k) {
            const QByteArray one = undefined.mid(k % undefined.size(), 1);
            list += "\"" + one + "Ba\xfe" "l\xfdk " + one + "\",\"" + undefined + " /yol/\xe7" + one + "\"\r\n";
        }
        QTest::newRow("in every field") << list << list;
        QTest::newRow("one a field, nothing else")
            << QByteArray("\"\x81\",\"\x8d\"\r\n\"\x8e\",\"\x8f\"\r\n\"\x90\",\"\x9d\"\r\n\"\x9e\",\"\"\r\n"
                          "\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\x81\x81\"\r\n")
            << QByteArray("\"\x81\",\"\x8d\"\r\n\"\x8e\",\"\x8f\"\r\n\"\x90\",\"\x9d\"\r\n\"\x9e\",\"\"\r\n"
                          "\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\x81\x81\"\r\n");
        QByteArray handEdited;
        QByteArray stored;
        for (int k = 0; k < 9; ++k) {
            handEdited += "x" + undefined + "," + undefined + "y\n";
            stored += "\"x" + undefined + "\",\"" + undefined + "y\"\r\n";
        }
        QTest::newRow("unquoted with LF, saved in the stored form") << handEdited << stored;
        // Every byte a field can hold, spread over the eighteen fields.
        QByteArray every;
        QByteArray field;
        int fields = 0;
        for (int value = 0; value < 256; ++value) {
            if (value == '"' || value == '\r' || value == '\n')
                continue;
            field += char(value);
            if (field.size() == 15 || value == 255) {
                every += (fields % 2 ? "\"" + field + "\"\r\n" : "\"" + field + "\",");
                field.clear();
                ++fields;
            }
        }
        while (fields < 18) {
            every += fields % 2 ? "\"\"\r\n" : "\"\",";
            ++fields;
        }
        QTest::newRow("every byte a field can hold") << every << every;
    }

    void undefinedBytesSurviveTheSettingsWindow()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        TestFolder folder;
        RuntimeProbe probe;
        folder.write("data.txt", before);
        Runtime::run([] { Form2::instance().show(); });
        QVERIFY(Form2::instance().isVisible());
        QVERIFY(probe.prompts.isEmpty());
        if (before.contains('\x81'))
            QVERIFY(SettingsWindow::texts().join(QString()).contains(QChar(0x81)));

        Form2::instance().findChild<QPushButton *>("Command1")->click();
        QCOMPARE(probe.prompts, QStringList());
        QVERIFY(probe.ended);
        QCOMPARE(probe.status, 0);
        QCOMPARE(folder.read("data.txt"), after);
    }
};

QTEST_MAIN(RoundTripTest)
#include "tst_roundtrip.moc"
