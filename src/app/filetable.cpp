#include "app/filetable.h"

#include "app/runtimeerror.h"
#include "store/fieldreader.h"
#include "store/recordwriter.h"
#include "store/windows1254.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
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

QString folder()
{
    return QDir::toNativeSeparators(QDir::currentPath());
}

QString reasonFor(const QString &name, int error)
{
    if (QFileInfo(name).isDir())
        return QStringLiteral("bu adı taşıyan bir klasör var");
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("erişim izni yok");
    case EROFS:
        return QStringLiteral("dosya sistemi salt okunur");
    case ENOSPC:
        return QStringLiteral("diskte yer kalmadı");
    case EDQUOT:
        return QStringLiteral("disk kotası doldu");
    case EFBIG:
        return QStringLiteral("dosya izin verilen boyutu aşıyor");
    case ENOENT:
        return QStringLiteral("dosya ya da klasör yok");
    case 0:
        return QStringLiteral("bilinmeyen bir hata");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// What the user can do about a file that could not be written: permissions
// and disk space do not help against a folder in the file's place or a
// file system mounted read-only.
QString adviceFor(const QString &name, int error)
{
    if (QFileInfo(name).isDir())
        return QStringLiteral("Bu klasörü taşıyın ya da adını değiştirin, sonra yeniden deneyin.");
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Klasöre ve dosyaya yazma izniniz olduğunu denetleyip yeniden deneyin.");
    case EROFS:
        return QStringLiteral("Dosya sistemini yazılabilir olarak bağlayın ya da listeyi yazılabilir bir "
                              "klasöre taşıyıp Hızlı'yı oradan başlatın.");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Diskte yer açıp yeniden deneyin.");
    default:
        return QStringLiteral("Klasöre yazma izniniz olduğunu ve diskte yer bulunduğunu "
                              "denetleyip yeniden deneyin.");
    }
}

[[noreturn]] void raiseNotWritten(const QString &name, int error, bool previousKept)
{
    QString text = QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: %3.\n\n%4")
                       .arg(name, folder(), reasonFor(name, error), adviceFor(name, error));
    // Only a file that is still there has kept its content.
    if (previousKept && QFileInfo(name).isFile())
        text += QStringLiteral(" Dosyanın önceki içeriği olduğu gibi duruyor.");
    throw RuntimeError(RuntimeError::Kind::FileNotWritten, text, name);
}

OpenFile &entry(int number)
{
    auto it = table().find(number);
    if (it == table().end())
        throw RuntimeError(RuntimeError::Kind::FileNotOpened,
                           QStringLiteral("%1 numaralı dosya açık değil.").arg(number));
    return it->second;
}

void openInput(OpenFile &file)
{
    if (!QFileInfo::exists(file.name)) {
        throw RuntimeError(RuntimeError::Kind::FileNotFound,
                           QStringLiteral("\"%1\" dosyası \"%2\" klasöründe bulunamadı.\n\n"
                                          "Hızlı bu dosyayı başlatıldığı klasörde arar. Dosyayı bu "
                                          "klasöre koyun ya da Hızlı'yı dosyanın bulunduğu klasörden "
                                          "başlatın.")
                               .arg(file.name, folder()),
                           file.name);
    }
    auto device = std::make_unique<QFile>(file.name);
    errno = 0;
    if (QFileInfo(file.name).isDir() || !device->open(QIODevice::ReadOnly)) {
        const int error = errno;
        throw RuntimeError(RuntimeError::Kind::FileNotOpened,
                           QStringLiteral("\"%1\" dosyası \"%2\" klasöründe açılamadı: %3.\n\n"
                                          "Bu adın okunabilir bir dosya olduğunu denetleyin.")
                               .arg(file.name, folder(), reasonFor(file.name, error)),
                           file.name);
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
    if (isOpen(number)) {
        throw RuntimeError(RuntimeError::Kind::FileNotOpened,
                           QStringLiteral("\"%1\" dosyası açılamadı: %2 numaralı dosya zaten açık.")
                               .arg(name)
                               .arg(number),
                           name);
    }
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
    if (!file.reader || !file.reader->next(&bytes)) {
        throw RuntimeError(RuntimeError::Kind::InputPastEnd,
                           QStringLiteral("\"%1\" dosyası \"%2\" klasöründe eksik: %3. alan "
                                          "okunacakken dosya bitti.\n\n"
                                          "Dosyayı bir metin düzenleyicide açıp eksik kayıtları "
                                          "tamamlayın.")
                               .arg(file.name, folder())
                               .arg(file.fieldsRead + 1),
                           file.name, file.fieldsRead + 1);
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
        throw RuntimeError(RuntimeError::Kind::FieldNotStorable,
                           QStringLiteral("\"%1\" dosyası \"%2\" klasörüne yazılamadı: bir "
                                          "alanda bu dosyada saklanamayan \"%3\" karakteri var.\n\n"
                                          "Bu karakteri içermeyen bir ad ya da yol seçip yeniden "
                                          "deneyin.")
                               .arg(file.name, folder(), bad),
                           file.name);
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
