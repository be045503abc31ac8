// SPDX-License-Identifier: GPL-3.0-or-later
#include "process/processstarter.h"

#include "desktop/desktop.h"
#include "errors/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <climits>
#include <csignal>
#include <iterator>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringList words(const QString &text)
{
    QStringList result;
    QString word;
    for (const QChar c : text + u' ') {
        if (!isBlank(c))
            word += c;
        else if (!word.isEmpty())
            result << std::exchange(word, QString());
    }
    return result;
}

// The form exec takes: a pointer to each word, then a null.
template <typename Words>
std::vector<char *> nullEnded(Words &words)
{
    std::vector<char *> pointers;
    std::ranges::transform(words, std::back_inserter(pointers), [](QByteArray &word) { return word.data(); });
    pointers.push_back(nullptr);
    return pointers;
}

// A candidate no file system could hold is not looked up at all, which
// keeps a huge command line as quick to refuse as a short one.
bool couldBePath(const QByteArray &path)
{
    if (path.isEmpty() || path.size() >= PATH_MAX)
        return false;
    qsizetype component = 0;
    for (const char c : path) {
        component = c == '/' ? 0 : component + 1;
        if (component > NAME_MAX)
            return false;
    }
    return true;
}

bool isFolder(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}
}

// A name without a slash is looked for on PATH only, as a shell does, never
// in the working folder, where anyone who can write there could plant it.
QString ProcessStarter::executable(const QByteArray &candidate)
{
    if (!couldBePath(candidate))
        return {};
    if (!candidate.contains('/'))
        return QStandardPaths::findExecutable(QFile::decodeName(candidate));
    struct stat st;
    if (::stat(candidate.constData(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(candidate.constData(), X_OK) != 0)
        return {};
    return QFileInfo(QFile::decodeName(candidate)).absoluteFilePath();
}

ProcessStarter::Command ProcessStarter::resolve(const QString &commandLine)
{
    Command command;
    if (commandLine.contains(u'"')) {
        const QStringList parts = QProcess::splitCommand(commandLine);
        if (!parts.isEmpty()) {
            command.program = executable(QFile::encodeName(parts.first()));
            command.arguments = parts.mid(1);
        }
        return command;
    }

    // Leading blanks go: lists written elsewhere have them before the program;
    // a trailing blank may belong to the program's own name. The longest run
    // of words that names a program wins, so a program in a folder whose
    // name has blanks starts itself, never a file named after its first word.
    // Blanks are ASCII, so the n-th blank of the encoded line is the n-th of
    // the text; only the part a path can span is encoded and looked at.
    qsizetype start = 0;
    while (start < commandLine.size() && isBlank(commandLine.at(start)))
        ++start;
    const QString line = commandLine.mid(start);
    const QByteArray head = QFile::encodeName(line.left(PATH_MAX));
    QList<qsizetype> ends;
    for (qsizetype i = 1; i < head.size(); ++i) {
        if (head.at(i) == ' ' || head.at(i) == '\t')
            ends << i;
    }
    if (line.size() < PATH_MAX)
        ends << head.size();
    // The shortest run so far that names no program but leads into a
    // folder that exists: the folder itself, or one before its last slash.
    QByteArray intoFolder;
    qsizetype folderEnd = 0;
    for (qsizetype n = ends.size() - 1; n >= 0; --n) {
        const QByteArray run = head.left(ends.at(n));
        const QString program = executable(run);
        if (program.isEmpty()) {
            const qsizetype slash = run.lastIndexOf('/');
            if (couldBePath(run) && isFolder(run)) {
                intoFolder = run;
                folderEnd = run.size();
            } else if (couldBePath(run) && slash > 0 && isFolder(run.left(slash))) {
                intoFolder = run;
                folderEnd = slash;
            }
            continue;
        }
        if (!intoFolder.isEmpty() && folderEnd > run.size()) {
            command.missing = QFile::decodeName(intoFolder);
            return command;
        }
        // The run decodes to as many characters as it was encoded from.
        command.program = program;
        command.arguments = words(line.mid(QFile::decodeName(run).size()));
        return command;
    }
    return command;
}

QByteArray &ProcessStarter::startFolder()
{
    static QByteArray folder;
    return folder;
}

void ProcessStarter::setStartFolder(const QString &folder)
{
    startFolder() = QFile::encodeName(folder);
}

// posix_spawn rather than QProcess::startDetached: the launcher ends right
// after a start, so the double fork that detaching needs only costs time
// (copying a Qt process's page tables twice), and spawning through vfork
// keeps a click on a launch item quick. The child gets a session of its own,
// the start folder, and default signal handling. An exec that fails is
// returned by the call itself.
bool ProcessStarter::spawn(const Command &command, std::vector<QByteArray> environment)
{
    QList<QByteArray> words { QFile::encodeName(command.program) };
    for (const QString &argument : command.arguments)
        words.append(argument.toLocal8Bit());
    std::vector<char *> argv = nullEnded(words);
    std::vector<char *> envp = nullEnded(environment);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!startFolder().isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, startFolder().constData());
    pid_t pid {};
    const int result = posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
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
    if (!command.missing.isEmpty())
        throw RuntimeError(RuntimeError::File { RuntimeError::ProgramMissing, command.missing });
    if (!command.program.isEmpty()) {
        // Begun before the program can map a window, ended again if it never will.
        const Desktop::Startup startup = Desktop::begin(command.program);
        if (spawn(command, Desktop::environmentWith(startup.environment)))
            return;
        Desktop::end(startup);
    }
    // Named as the folder the program was started in, which is not the
    // list's when Hızlı came from the desktop menu.
    throw RuntimeError(RuntimeError::Command {
            commandLine, startFolder().isEmpty() ? QDir::currentPath() : QFile::decodeName(startFolder()) });
}
