// Reads nine records from arbitrary bytes the way Hızlı reads data.txt and
// checks what has to hold whatever the bytes are:
// - a field read fails only at the end of the bytes, every other read takes
//   at least one byte and none goes past the end;
// - the fields do not depend on anything after the last one read, so a list
//   followed by junk reads the same as the list alone;
// - every byte decodes to one character that encodes back to that byte;
// - the file table, reading a real file, gives the same entries as the
//   reader on the bytes in memory, and fails at the same field;
// - records that can be stored write in the exact form and read back as
//   themselves; a list that cannot be stored is refused with data.txt intact.

#include "app/filetable.h"
#include "app/runtimeerror.h"
#include "store/fieldreader.h"
#include "store/recordwriter.h"
#include "store/shortcutlist.h"
#include "store/windows1254.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int fieldCount = 2 * ShortcutList::size;

[[noreturn]] void broken(const char *what, int line)
{
    std::fprintf(stderr, "broken at line %d: %s\n", line, what);
    std::abort();
}

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            broken(#condition, __LINE__);                                                          \
    } while (false)

struct Reading
{
    QList<QByteArray> fields;
    QList<qint64> ends; // the position after each field
    bool ranOut = false;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDelimiter(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}

// What the bytes from start to end may have given as a field.
void checkShape(const QByteArray &bytes, qint64 start, qint64 end, const QByteArray &field)
{
    const QByteArray source = bytes.mid(start, end - start);
    CHECK(end == bytes.size() || isDelimiter(bytes.at(end - 1)));
    qsizetype first = 0;
    while (first < source.size() && isBlank(source.at(first)))
        ++first;
    if (first < source.size() && source.at(first) == '"') {
        CHECK(!field.contains('"'));
        CHECK(source.mid(first + 1).startsWith(field));
    } else {
        CHECK(source.mid(first).startsWith(field));
        CHECK(field.isEmpty() || (!isBlank(field.front()) && !isBlank(field.back())));
        for (const char c : field)
            CHECK(!isDelimiter(c));
    }
}

Reading readFields(const QByteArray &bytes, int count)
{
    QBuffer buffer;
    buffer.setData(bytes);
    CHECK(buffer.open(QIODevice::ReadOnly));
    FieldReader reader(&buffer);
    Reading reading;
    qint64 before = 0;
    for (int i = 0; i < count; ++i) {
        QByteArray field;
        if (!reader.next(&field)) {
            CHECK(before == bytes.size());
            CHECK(buffer.pos() == before);
            reading.ranOut = true;
            break;
        }
        const qint64 after = buffer.pos();
        CHECK(after > before);
        CHECK(after <= bytes.size());
        checkShape(bytes, before, after, field);
        reading.fields << field;
        reading.ends << after;
        before = after;
    }
    return reading;
}

void checkCodePage(const QByteArray &field)
{
    const QString text = Windows1254::decode(field);
    CHECK(text.size() == field.size());
    QByteArray back;
    CHECK(Windows1254::encode(text, &back));
    CHECK(back == field);
}

bool storable(const QByteArray &field)
{
    return !field.contains('"') && !field.contains('\r') && !field.contains('\n');
}

void writeFile(const QByteArray &bytes)
{
    QFile file(ShortcutList::fileName());
    CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    CHECK(file.write(bytes) == bytes.size());
}

QByteArray readFile()
{
    QFile file(ShortcutList::fileName());
    CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The program's own road: data.txt through the file table, nine entries.
void checkFileTable(const QByteArray &bytes, const Reading &memory)
{
    writeFile(bytes);
    QList<QString> read;
    try {
        ShortcutList::openForReading();
        for (int k = 0; k < ShortcutList::size; ++k) {
            const ShortcutEntry entry = ShortcutList::readEntry();
            read << entry.caption << entry.path;
        }
        ShortcutList::close();
        CHECK(memory.fields.size() == fieldCount);
    } catch (const RuntimeError &error) {
        CHECK(error.kind() == RuntimeError::Kind::InputPastEnd);
        CHECK(memory.ranOut);
        CHECK(error.field() == memory.fields.size() + 1);
        CHECK(error.text().contains(QLatin1String("\"data.txt\"")));
        FileTable::closeAll();
    }
    // An entry whose path is missing is not handed out, though its caption was read.
    CHECK(read.size() == memory.fields.size() / 2 * 2);
    for (qsizetype i = 0; i < read.size(); ++i)
        CHECK(read.at(i) == Windows1254::decode(memory.fields.at(i)));
}

void checkRoundTrip(const QByteArray &bytes, const Reading &memory)
{
    QByteArray lines;
    QList<QByteArray> kept;
    for (qsizetype i = 0; i + 1 < memory.fields.size(); i += 2) {
        const QByteArray &caption = memory.fields.at(i);
        const QByteArray &path = memory.fields.at(i + 1);
        QByteArray line;
        const bool formatted = RecordWriter::format(
            {Windows1254::decode(caption), Windows1254::decode(path)}, &line);
        CHECK(formatted == (storable(caption) && storable(path)));
        if (!formatted)
            continue;
        CHECK(line == "\"" + caption + "\",\"" + path + "\"\r\n");
        lines += line;
        kept << caption << path;
    }
    const Reading back = readFields(lines, int(kept.size()) + 1);
    CHECK(back.fields == kept);
    CHECK(back.ranOut);
    CHECK(back.ends.isEmpty() ? lines.isEmpty() : back.ends.last() == lines.size());

    if (memory.fields.size() != fieldCount)
        return;
    ShortcutList::Entries entries;
    for (int k = 0; k < ShortcutList::size; ++k)
        entries[k] = {Windows1254::decode(memory.fields.at(2 * k)),
                      Windows1254::decode(memory.fields.at(2 * k + 1))};
    writeFile(bytes);
    if (kept.size() == fieldCount) {
        ShortcutList::write(entries);
        CHECK(readFile() == lines);
    } else {
        try {
            ShortcutList::write(entries);
            CHECK(!"a list that cannot be stored was written");
        } catch (const RuntimeError &error) {
            CHECK(error.kind() == RuntimeError::Kind::FieldNotStorable);
        }
        CHECK(!FileTable::isOpen(ShortcutList::fileNumber));
        CHECK(readFile() == bytes);
    }
    // Neither a save nor a refused one leaves a temporary file behind.
    CHECK(QDir::current().entryList(QDir::Files | QDir::Hidden) == QStringList{ShortcutList::fileName()});
}

// data.txt is named without a folder, so the file checks run in a folder of
// their own. The target steps into it only for them: libFuzzer reads its
// corpus and writes its findings by the paths it was given, which may be
// relative to where it was started.
class WorkFolder
{
public:
    WorkFolder()
        : m_previous(QDir::currentPath())
    {
        static QTemporaryDir folder;
        if (!folder.isValid() || !QDir::setCurrent(folder.path())) {
            std::fprintf(stderr, "no working folder for data.txt\n");
            std::abort();
        }
    }
    ~WorkFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // No copy: reading past the input's end touches memory the sanitizer guards.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const Reading memory = readFields(bytes, fieldCount);
    for (const QByteArray &field : memory.fields)
        checkCodePage(field);

    if (!memory.ends.isEmpty()) {
        const QByteArray prefix = bytes.left(memory.ends.last());
        const Reading again = readFields(prefix, fieldCount);
        CHECK(again.fields == memory.fields);
        CHECK(again.ends == memory.ends);
    }

    const WorkFolder folder;
    checkFileTable(bytes, memory);
    checkRoundTrip(bytes, memory);
    return 0;
}
