#include "runtime/filetable.h"

#include "runtime/runtimeerror.h"
#include "text/fieldreader.h"
#include "text/recordwriter.h"
#include "text/windows1254.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <map>
#include <memory>

namespace {

struct OpenFile
{
    QString name;
    FileTable::Mode mode;
    std::unique_ptr<QFileDevice> device;
    std::unique_ptr<FieldReader> reader;
    int fieldsRead = 0;
};

std::map<int, OpenFile> &table()
{
    static std::map<int, OpenFile> files;
    return files;
}

[[noreturn]] void raiseNotWritten(const QString &name, int error, bool previousKept)
{
    // Only a file that is still there has kept its content.
    throw RuntimeError(RuntimeError::Kind::FileNotWritten, name)
        .withErrno(error)
        .withPreviousKept(previousKept && QFileInfo(name).isFile());
}

OpenFile &entry(int number)
{
    auto it = table().find(number);
    if (it == table().end())
        throw RuntimeError(RuntimeError::Kind::FileNotOpen, {}, number);
    return it->second;
}

void openInput(OpenFile &file)
{
    if (!QFileInfo::exists(file.name))
        throw RuntimeError(RuntimeError::Kind::FileNotFound, file.name);
    auto device = std::make_unique<QFile>(file.name);
    errno = 0;
    if (QFileInfo(file.name).isDir() || !device->open(QIODevice::ReadOnly)) {
        const int error = errno;
        throw RuntimeError(RuntimeError::Kind::FileNotOpened, file.name).withErrno(error);
    }
    file.reader = std::make_unique<FieldReader>(device.get());
    file.device = std::move(device);
}

void openForWriting(OpenFile &file)
{
    std::unique_ptr<QFileDevice> device;
    QIODevice::OpenMode flags = QIODevice::WriteOnly;
    if (file.mode == FileTable::Mode::Output) {
        device = std::make_unique<QSaveFile>(file.name);
    } else {
        device = std::make_unique<QFile>(file.name);
        flags |= QIODevice::Append;
    }
    errno = 0;
    if (!device->open(flags))
        raiseNotWritten(file.name, errno, file.mode == FileTable::Mode::Output);
    file.device = std::move(device);
}

}

void FileTable::open(int number, const QString &name, Mode mode)
{
    if (isOpen(number))
        throw RuntimeError(RuntimeError::Kind::FileAlreadyOpen, name, number);
    OpenFile file;
    file.name = name;
    file.mode = mode;
    if (mode == Mode::Input)
        openInput(file);
    else
        openForWriting(file);
    table().emplace(number, std::move(file));
}

QString FileTable::readField(int number)
{
    OpenFile &file = entry(number);
    QByteArray bytes;
    if (!file.reader || !file.reader->next(&bytes))
        throw RuntimeError(RuntimeError::Kind::InputPastEnd, file.name, file.fieldsRead + 1);
    ++file.fieldsRead;
    return Windows1254::decode(bytes);
}

void FileTable::writeRecord(int number, const QStringList &fields)
{
    OpenFile &file = entry(number);
    QByteArray line;
    if (!RecordWriter::format(fields, &line)) {
        QString bad;
        for (const QString &field : fields) {
            if (bad.isEmpty())
                bad = RecordWriter::unstorableCharacter(field);
        }
        throw RuntimeError(RuntimeError::Kind::FieldNotStorable, file.name).withCharacter(bad);
    }
    errno = 0;
    if (file.device->write(line) != line.size()) {
        const int error = errno;
        const QString name = file.name;
        const bool previousKept = file.mode == Mode::Output;
        discard(number);
        raiseNotWritten(name, error, previousKept);
    }
}

void FileTable::close(int number)
{
    auto it = table().find(number);
    if (it == table().end())
        return;
    OpenFile file = std::move(it->second);
    table().erase(it);
    errno = 0;
    bool written = true;
    if (auto *save = qobject_cast<QSaveFile *>(file.device.get())) {
        // A failed flush must stop the commit: QSaveFile would otherwise
        // put a cut-off file in place of the complete one.
        written = save->flush() && save->error() == QFileDevice::NoError;
        if (written)
            written = save->commit();
        else
            save->cancelWriting();
    } else {
        written = file.mode != Mode::Append || file.device->flush();
        file.device->close();
    }
    const int error = errno;
    if (!written)
        raiseNotWritten(file.name, error, file.mode == Mode::Output);
}

void FileTable::discard(int number)
{
    auto it = table().find(number);
    if (it == table().end())
        return;
    if (auto *save = qobject_cast<QSaveFile *>(it->second.device.get()))
        save->cancelWriting();
    table().erase(it);
}

void FileTable::closeAll()
{
    while (!table().empty()) {
        const int number = table().begin()->first;
        if (table().begin()->second.mode == Mode::Output)
            discard(number);
        else
            table().erase(table().begin());
    }
}

bool FileTable::isOpen(int number)
{
    return table().count(number) != 0;
}
