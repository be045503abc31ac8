// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/filetable.h"

#include "errors/runtimeerror.h"
#include "files/filereplacer.h"
#include "text/fieldreader.h"
#include "text/recordwriter.h"
#include "text/windows1254.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Error = RuntimeError;

struct OpenFile
{
    QString name;
    FileTable::Mode mode;
    std::unique_ptr<QFile> device;
    std::unique_ptr<FieldReader> reader;
    std::unique_ptr<FileReplacer> replacer;
    int fieldsRead = 0;
};

std::map<int, OpenFile> &table()
{
    static std::map<int, OpenFile> files;
    return files;
}

OpenFile &entry(int number)
{
    auto it = table().find(number);
    if (it == table().end())
        throw Error(Error::File { .kind = Error::FileNotOpen, .name = {}, .number = number });
    return it->second;
}

FileTable::Identity identityOf(const struct stat &st)
{
    return { quint64(st.st_dev), quint64(st.st_ino), quint64(st.st_nlink) };
}

// Opened without blocking, so that a pipe of that name cannot hold the
// program, and checked on the open descriptor, so that what is read or
// written is the regular file that was checked.
void openDescriptor(OpenFile &file, bool follow)
{
    const QByteArray name = QFile::encodeName(file.name);
    int flags = O_NONBLOCK | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW);
    flags |= file.mode == FileTable::Mode::Input ? O_RDONLY : O_WRONLY | O_APPEND | O_CREAT;
    struct stat st;
    const bool exists = (follow ? ::stat : ::lstat)(name.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        throw Error::notRegular(file.name, st.st_mode);
    if (!exists && file.mode == FileTable::Mode::Input)
        throw Error(Error::File { Error::FileNotFound, file.name });
    const int fd = ::open(name.constData(), flags, 0666);
    const int error = errno;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file.device = std::make_unique<QFile>();
        file.device->open(fd, file.mode == FileTable::Mode::Input ? QIODevice::ReadOnly : QIODevice::WriteOnly,
                          QFileDevice::AutoCloseHandle);
        return;
    }
    if (fd >= 0) {
        ::close(fd);
        if (!S_ISDIR(st.st_mode))
            throw Error::notRegular(file.name, st.st_mode);
    }
    const int cause = fd >= 0 ? EISDIR : error == ELOOP ? 0 : error;
    if (error == ELOOP && fd < 0)
        throw Error::notRegular(file.name, S_IFLNK);
    if (file.mode == FileTable::Mode::Input)
        throw Error(Error::File { Error::FileNotOpened, file.name, cause });
    throw Error(Error::File { Error::FileNotWritten, file.name, cause });
}

}

void FileTable::open(int number, const QString &name, Mode mode, Links links)
{
    if (isOpen(number))
        throw Error(Error::File { .kind = Error::FileAlreadyOpen, .name = name, .number = number });
    OpenFile file;
    file.name = name;
    file.mode = mode;
    if (mode == Mode::Output) {
        file.replacer = std::make_unique<FileReplacer>(name, links == Links::Follow);
        file.replacer->check();
    } else {
        openDescriptor(file, links == Links::Follow);
        if (mode == Mode::Input)
            file.reader = std::make_unique<FieldReader>(file.device.get());
    }
    table().emplace(number, std::move(file));
}

QString FileTable::readField(int number)
{
    OpenFile &file = entry(number);
    QByteArray bytes;
    if (!file.reader || !file.reader->next(&bytes)) {
        if (file.reader && file.reader->readError())
            throw Error(Error::Field { Error::FileNotRead, file.name, file.fieldsRead + 1, file.reader->readError() });
        const bool tooLong = file.reader && file.reader->tooLong();
        throw Error(
                Error::Field { tooLong ? Error::FieldTooLong : Error::InputPastEnd, file.name, file.fieldsRead + 1 });
    }
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
        throw Error(Error::File { .kind = Error::FieldNotStorable, .name = file.name, .character = bad });
    }
    if (file.replacer) {
        file.replacer->append(line);
        return;
    }
    errno = 0;
    if (file.device->write(line) != line.size() || !file.device->flush()) {
        const int error = errno;
        const QString name = file.name;
        discard(number);
        throw Error(Error::File { Error::FileNotWritten, name, error });
    }
}

FilePlace FileTable::place(int number)
{
    const OpenFile &file = entry(number);
    return file.replacer ? file.replacer->place() : FilePlace();
}

FileTable::Identity FileTable::identity(int number)
{
    const OpenFile &file = entry(number);
    struct stat st;
    if (!file.device || ::fstat(file.device->handle(), &st) != 0)
        return {};
    return identityOf(st);
}

FileTable::Identity FileTable::close(int number)
{
    auto it = table().find(number);
    if (it == table().end())
        return {};
    OpenFile file = std::move(it->second);
    table().erase(it);
    if (!file.replacer)
        return {};
    return identityOf(file.replacer->commit());
}

void FileTable::discard(int number)
{
    table().erase(number);
}

void FileTable::closeAll()
{
    table().clear();
}

bool FileTable::isOpen(int number)
{
    return table().count(number) != 0;
}
