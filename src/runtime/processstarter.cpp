#include "runtime/processstarter.h"

#include "runtime/runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

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

    // Leading blanks go, as the platform the lists come from skips them; a
    // trailing blank may belong to the program's own name.
    qsizetype start = 0;
    while (start < commandLine.size() && commandLine.at(start) == u' ')
        ++start;
    const QString line = commandLine.mid(start);
    bool firstWord = true;
    for (qsizetype end = line.indexOf(u' '); ; end = line.indexOf(u' ', end + 1)) {
        const QString candidate = end < 0 ? line : line.left(end);
        if (!candidate.isEmpty()) {
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

// posix_spawn rather than QProcess::startDetached: the launcher ends right
// after a start, so the double fork that detaching needs only costs time
// (copying a Qt process's page tables twice), and spawning through vfork
// keeps a click on a launch item quick. The child gets a session of its own,
// the working folder and the environment as the launcher was given them, and
// default signal handling. An exec that fails is returned by the call itself.
bool ProcessStarter::spawn(const Command &command)
{
    QList<QByteArray> words{QFile::encodeName(command.program)};
    for (const QString &argument : command.arguments)
        words.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv.front(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (result != 0)
        return false;
    // The launcher ends right after a start, handing the program to init;
    // should it live on, this reaps the program when it exits, so none is
    // ever left a zombie.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

void ProcessStarter::start(const QString &commandLine)
{
    const Command command = resolve(commandLine);
    if (!command.program.isEmpty() && spawn(command))
        return;
    throw RuntimeError(RuntimeError::Kind::StartFailed, commandLine);
}
