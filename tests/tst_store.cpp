#include "app/filetable.h"
#include "app/runtimeerror.h"
#include "store/shortcutlist.h"
#include "testfolder.h"

#include <QDir>
#include <QTest>

class StoreTest : public QObject
{
    Q_OBJECT

private:
    // Reads fields until the file ends.
    static QStringList readAllFields(const QString &name)
    {
        QStringList fields;
        FileTable::open(7, name, FileTable::Mode::Input);
        try {
            for (;;)
                fields << FileTable::readField(7);
        } catch (const RuntimeError &error) {
            if (error.kind() != RuntimeError::Kind::InputPastEnd)
                throw;
        }
        FileTable::close(7);
        return fields;
    }

private slots:
    void cleanup() { FileTable::closeAll(); }

    void readsFields_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("stored form") << QByteArray("\"a\",\"b\"\r\n\"\",\"\"\r\n")
                                     << QStringList{"a", "b", "", ""};
        QTest::newRow("comma and blanks inside quotes")
            << QByteArray("\"A, B\",\" C:\\x y.exe \"\r\n") << QStringList{"A, B", " C:\\x y.exe "};
        QTest::newRow("Turkish letters") << QByteArray("\"\xdd\xfe\xf0\xfd\xe7\xf6\xfc\",\"\xde\xd0\"\r\n")
                                         << QStringList{"İşğıçöü", "ŞĞ"};
        QTest::newRow("LF line ends") << QByteArray("\"a\",\"b\"\n\"c\",\"d\"\n")
                                      << QStringList{"a", "b", "c", "d"};
        QTest::newRow("lone CR line ends") << QByteArray("\"a\",\"b\"\r\"c\",\"d\"\r")
                                           << QStringList{"a", "b", "c", "d"};
        QTest::newRow("caption and path on two lines")
            << QByteArray("\"a\"\r\n\"b\"\r\n") << QStringList{"a", "b"};
        QTest::newRow("blank line is one empty field")
            << QByteArray("\"a\",\"b\"\r\n\r\n\"c\",\"d\"\r\n") << QStringList{"a", "b", "", "c", "d"};
        QTest::newRow("unquoted fields lose surrounding blanks")
            << QByteArray("  hesap  , /usr/bin/x y \r\nz,\r\n") << QStringList{"hesap", "/usr/bin/x y", "z", ""};
        QTest::newRow("blanks before a quotation mark")
            << QByteArray("   \"a\",  \"b\"\r\n") << QStringList{"a", "b"};
        QTest::newRow("junk after closing quotation mark dropped")
            << QByteArray("\"a\"xyz,\"b\" q\r\n") << QStringList{"a", "b"};
        QTest::newRow("last field without line end")
            << QByteArray("\"a\",\"b\"") << QStringList{"a", "b"};
        QTest::newRow("unquoted last field without line end")
            << QByteArray("a,b") << QStringList{"a", "b"};
        QTest::newRow("unterminated quotation holds the rest")
            << QByteArray("\"a\",\"b,\r\nc") << QStringList{"a", "b,\r\nc"};
        QTest::newRow("undefined code page bytes kept")
            << QByteArray("\"\x81\x8d\x8e\x8f\x90\x9d\x9e\",\"\"\r\n")
            << QStringList{QString::fromUtf16(u"\u0081\u008d\u008e\u008f\u0090\u009d\u009e"), ""};
        QTest::newRow("empty file has no field") << QByteArray() << QStringList{};
    }

    void readsFields()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        TestFolder folder;
        folder.write("list.txt", bytes);
        QCOMPARE(readAllFields("list.txt"), fields);
    }

    void writesRecords_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two fields") << QStringList{"Hesap", "/usr/bin/galculator"}
                                    << QByteArray("\"Hesap\",\"/usr/bin/galculator\"\r\n");
        QTest::newRow("empty entry") << QStringList{"", ""} << QByteArray("\"\",\"\"\r\n");
        QTest::newRow("comma, blanks, backslash")
            << QStringList{"A, B", " C:\\x y.exe "} << QByteArray("\"A, B\",\" C:\\x y.exe \"\r\n");
        QTest::newRow("Turkish letters one byte each")
            << QStringList{"Sözlük", "çığ ŞİĞ"} << QByteArray("\"S\xf6zl\xfck\",\"\xe7\xfd\xf0 \xde\xdd\xd0\"\r\n");
        QTest::newRow("single field") << QStringList{"17"} << QByteArray("\"17\"\r\n");
    }

    void writesRecords()
    {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, bytes);
        TestFolder folder;
        FileTable::open(2, "out.txt", FileTable::Mode::Output);
        FileTable::writeRecord(2, fields);
        FileTable::close(2);
        QCOMPARE(folder.read("out.txt"), bytes);
        QCOMPARE(readAllFields("out.txt"), fields);
    }

    void appendKeepsWhatWasThere()
    {
        TestFolder folder;
        folder.write("sil.txt", "\"5\"\r\n");
        FileTable::open(2, "sil.txt", FileTable::Mode::Append);
        FileTable::writeRecord(2, {"a b", "/x/a b"});
        FileTable::close(2);
        QCOMPARE(folder.read("sil.txt"), QByteArray("\"5\"\r\n\"a b\",\"/x/a b\"\r\n"));
    }

    void shortListFailsAtFirstMissingField_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("field");
        QByteArray eight;
        for (int k = 1; k <= 8; ++k)
            eight += TestFolder::list({QString::number(k), QString::number(k)});
        QTest::newRow("eight records") << eight << 17;
        QTest::newRow("eight and a half") << eight + "\"9\"\r\n" << 18;
        QTest::newRow("empty file") << QByteArray() << 1;
        QTest::newRow("one line without line end") << QByteArray("\"a\",\"b\"") << 3;
    }

    void shortListFailsAtFirstMissingField()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, field);
        TestFolder folder;
        folder.write("data.txt", bytes);
        ShortcutList::openForReading();
        try {
            for (int k = 1; k <= ShortcutList::size; ++k)
                ShortcutList::readEntry();
            QFAIL("a short list read as nine records");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.kind(), RuntimeError::Kind::InputPastEnd);
            QCOMPARE(error.field(), field);
            QVERIFY(error.text().contains("data.txt"));
            QVERIFY(error.text().contains(QDir::toNativeSeparators(folder.path())));
        }
    }

    void missingListIsNamedWithItsFolder()
    {
        TestFolder folder;
        try {
            ShortcutList::openForReading();
            QFAIL("a missing list opened");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.kind(), RuntimeError::Kind::FileNotFound);
            QVERIFY(error.text().contains("\"data.txt\""));
            QVERIFY(error.text().contains(QDir::toNativeSeparators(folder.path())));
        }
        QVERIFY(!FileTable::isOpen(ShortcutList::fileNumber));
    }

    void unstorableFieldWritesNothing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("quotation mark") << QStringLiteral("a\"b");
        QTest::newRow("line feed") << QStringLiteral("a\nb");
        QTest::newRow("outside the code page") << QStringLiteral("a中b");
        QTest::newRow("emoji") << QStringLiteral("a😀");
    }

    void unstorableFieldWritesNothing()
    {
        QFETCH(QString, field);
        TestFolder folder;
        const QByteArray before = TestFolder::sampleList();
        folder.write("data.txt", before);
        ShortcutList::Entries entries;
        entries[8] = {"x", field};
        try {
            ShortcutList::write(entries);
            QFAIL("an unstorable field was written");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.kind(), RuntimeError::Kind::FieldNotStorable);
        }
        QCOMPARE(folder.read("data.txt"), before);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"data.txt"});
    }

    void outputNotClosedLeavesPreviousFile()
    {
        TestFolder folder;
        const QByteArray before = TestFolder::sampleList();
        folder.write("data.txt", before);
        FileTable::open(1, "data.txt", FileTable::Mode::Output);
        FileTable::writeRecord(1, {"yeni", "kayıt"});
        FileTable::closeAll();
        QCOMPARE(folder.read("data.txt"), before);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"data.txt"});
    }

};

QTEST_GUILESS_MAIN(StoreTest)
#include "tst_store.moc"
