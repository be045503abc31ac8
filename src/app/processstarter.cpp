#include "app/processstarter.h"

#include "app/runtimeerror.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
QStringList words(const QString &text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}
}

QString ProcessStarter::executable(const QString &word, bool searchPath)
{
    const QFileInfo info(word);
    if (info.isFile() && info.isExecutable())
        return info.absoluteFilePath();
    if (searchPath && !word.contains(u'/'))
        return QStandardPaths::findExecutable(word);
    return {};
}

ProcessStarter::Command ProcessStarter::resolve(const QString &commandLine)
{
    Command command;
    if (commandLine.contains(u'"')) {
        const QStringList parts = QProcess::splitCommand(commandLine);
        if (!parts.isEmpty()) {
            command.program = executable(parts.first(), true);
            command.arguments = parts.mid(1);
        }
        return command;
    }

    const QString line = commandLine.trimmed();
    bool firstWord = true;
    for (qsizetype end = line.indexOf(u' '); ; end = line.indexOf(u' ', end + 1)) {
        const QString candidate = end < 0 ? line : line.left(end);
        if (!candidate.isEmpty() && !candidate.endsWith(u' ')) {
            const QString program = executable(candidate, firstWord);
            firstWord = false;
            if (!program.isEmpty()) {
                command.program = program;
                command.arguments = end < 0 ? QStringList() : words(line.mid(end + 1));
                return command;
            }
        }
        if (end < 0)
            return command;
    }
}

void ProcessStarter::start(const QString &commandLine)
{
    const Command command = resolve(commandLine);
    if (!command.program.isEmpty()
        && QProcess::startDetached(command.program, command.arguments, QDir::currentPath())) {
        return;
    }
    QString text;
    if (commandLine.trimmed().isEmpty()) {
        text = QStringLiteral("Program başlatılamadı: bu kısayolun yolu boş.\n\n"
                              "Ayarlar penceresinde bu kısayola bir program seçin.");
    } else {
        text = QStringLiteral("Program başlatılamadı:\n%1\n\n"
                              "Bu komut satırı çalıştırılabilir bir program adıyla başlamıyor ya da "
                              "program çalıştırılamadı (\"%2\" klasöründen başlatıldı). Ayarlar "
                              "penceresinde bu kısayolun yolunu düzeltin.")
                   .arg(commandLine, QDir::toNativeSeparators(QDir::currentPath()));
    }
    throw RuntimeError(RuntimeError::Kind::StartFailed, text, commandLine);
}
