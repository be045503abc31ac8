// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher's own save, killed at random moments and raced against
// itself, in the working folder (see bench/README.md, "Save trial").
//
//   save-trial kill ROUNDS [KEEP...]   a save killed with SIGKILL each round,
//                                      every third followed by another
//                                      program's write, then the start's
//                                      recovery; KEEP names
//                                      other names of the list that must show
//                                      the same bytes
//   save-trial race TRIALS WRITERS     several launchers saving at once
//
// Every check that fails prints what it saw and makes the exit status 1.
#include "errors/runtimeerror.h"
#include "store/shortcutlist.h"
#include "text/recordwriter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QRandomGenerator random(quint32(::getpid()) ^ quint32(::time(nullptr)));

double now()
{
    timespec t;
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void sleepUntil(double when)
{
    const double wait = when - now();
    if (wait > 0) {
        const timespec t = { time_t(wait), long((wait - double(time_t(wait))) * 1e9) };
        ::nanosleep(&t, nullptr);
    }
}

// Nine entries; a large list fills each field with some 60 KiB (a field
// holds at most 64 KiB), some 1.1 MB in all.
ShortcutList::Entries entries(int generation, bool large)
{
    ShortcutList::Entries list;
    for (int k = 0; k < ListRow::count; ++k) {
        const QString tag = QStringLiteral("g%1-k%2").arg(generation).arg(k + 1);
        const QString fill = large ? QString(60000 + k, QChar(u'a' + (generation + k) % 26)) : QString();
        list[size_t(k)] = { tag + fill, QStringLiteral("/usr/bin/") + tag + fill };
    }
    return list;
}

QByteArray bytes(const ShortcutList::Entries &list)
{
    QByteArray all;
    for (const ShortcutEntry &entry : list) {
        QByteArray line;
        RecordWriter::format({ entry.caption, entry.path }, &line);
        all += line;
    }
    return all;
}

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// The list as another program would leave it: written where it stands.
void putInPlace(const QByteArray &content)
{
    QFile file(ShortcutList::fileName());
    if (!file.open(QIODevice::ReadWrite) || !file.resize(0) || file.write(content) != content.size()) {
        std::fprintf(stderr, "save-trial: cannot set the list up\n");
        std::exit(2);
    }
}

int save(const ShortcutList::Entries &list)
{
    try {
        FilePlace place;
        return ShortcutList::write(list, ShortcutList::place(), &place) ? 0 : 3;
    } catch (const RuntimeError &) {
        return 2;
    }
}

// What a folder holds besides the names expected, and the cache.
QStringList strays(const QStringList &expected)
{
    QStringList found = QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : expected)
        found.removeAll(name);
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/hizli");
    for (const QString &name : QDir(cache).entryList(QDir::Files | QDir::Hidden | QDir::System))
        found << cache + u'/' + name;
    return found;
}

// The whole save, untouched, for each pair of sizes: the range to kill in.
double measure(bool oldLarge, bool newLarge)
{
    double longest = 0;
    for (int i = 0; i < 2; ++i) {
        putInPlace(bytes(entries(-1, oldLarge)));
        const double start = now();
        save(entries(-2, newLarge));
        longest = std::max(longest, now() - start);
    }
    return longest;
}

int kill(int rounds, QStringList names)
{
    names.prepend(ShortcutList::fileName());
    // A large old list also carries records past the ninth: some 4 MB.
    QByteArray largeTail;
    for (int i = 0; i < 50; ++i)
        largeTail += "\"extra\",\"" + QByteArray(60000, 'x') + "\"\r\n";
    double range[2][2];
    for (int o = 0; o < 2; ++o) {
        for (int n = 0; n < 2; ++n)
            range[o][n] = measure(o, n) * 1.2;
    }
    int finished = 0, kept = 0, written = 0, restored = 0, oldKept = 0, failures = 0;
    for (int round = 0; round < rounds; ++round) {
        const bool oldLarge = round % 2;
        const bool newLarge = random.bounded(2);
        const QByteArray before = bytes(entries(2 * round, oldLarge)) + (oldLarge ? largeTail : QByteArray());
        const ShortcutList::Entries fresh = entries(2 * round + 1, newLarge);
        const QByteArray after = bytes(fresh);
        putInPlace(before);
        // Every other round is killed at a random moment of the save; the
        // rest within half a millisecond of the list's first change, the
        // short moment in which a write in place tears it.
        const bool atChange = round % 4 >= 2;
        double delay = random.bounded(range[oldLarge][newLarge]);
        struct stat was;
        ::stat(QFile::encodeName(names.first()).constData(), &was);
        const double start = now();
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(save(fresh));
        if (atChange) {
            struct stat is = was;
            while (now() - start < range[oldLarge][newLarge] && is.st_ino == was.st_ino
                   && is.st_mtim.tv_nsec == was.st_mtim.tv_nsec && is.st_mtim.tv_sec == was.st_mtim.tv_sec)
                ::stat(QFile::encodeName(names.first()).constData(), &is);
            delay = now() - start + random.bounded(0.0005);
        }
        sleepUntil(start + delay);
        int status = 0;
        finished += ::waitpid(child, &status, WNOHANG) == child;
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);

        // Every third round another program writes the list after the kill
        // and before the next start: its write must stay.
        const bool changedSince = round % 3 == 2;
        const QByteArray later = "\"later\",\"" + QByteArray::number(round) + "\"\r\n";
        if (changedSince)
            putInPlace(later);
        const std::optional<RuntimeError> notice = ShortcutList::recover();
        const RuntimeError::File *settled = notice ? std::get_if<RuntimeError::File>(&notice->data()) : nullptr;
        restored += settled && settled->previousKept;
        const QByteArray content = readFile(names.first());
        kept += content == before;
        written += content == after;
        QString fault;
        if (changedSince && content != later)
            fault = QStringLiteral("the later write is gone (%1 bytes)").arg(content.size());
        if (!changedSince && content != before && content != after)
            fault = QStringLiteral("the list is neither the old nor the new one (%1 bytes)").arg(content.size());
        // The old content of a list written since is kept for the user.
        for (const QString &name : strays(names)) {
            if (!name.contains(QLatin1String(".eski-")))
                continue;
            struct stat kept;
            // The old list may be private: its copy is the user's alone.
            if (::stat(QFile::encodeName(name).constData(), &kept) != 0 || (kept.st_mode & 07777) != 0600)
                fault = QStringLiteral("%1 is open to others").arg(name);
            if (!changedSince || readFile(name) != before)
                fault = QStringLiteral("%1 is no copy of the old list kept for a later write").arg(name);
            ++oldKept;
            QFile::remove(name);
        }
        for (const QString &name : names.mid(1)) {
            if (readFile(name) != content)
                fault = QStringLiteral("%1 shows other bytes than %2").arg(name, names.first());
        }
        if (settled && settled->error)
            fault = QStringLiteral("the start could not restore the list: errno %1").arg(settled->error);
        const QStringList left = strays(names);
        if (!left.isEmpty())
            fault = QStringLiteral("left behind: %1").arg(left.join(QStringLiteral(", ")));
        if (!fault.isEmpty()) {
            ++failures;
            std::printf("  round %d (old %s, new %s, killed after %.1f ms): %s\n", round, oldLarge ? "large" : "small",
                        newLarge ? "large" : "small", delay * 1000, qPrintable(fault));
        }
    }
    // One more save, left to finish: nothing of any earlier one stays.
    if (save(entries(-3, true)) != 0 || readFile(names.first()) != bytes(entries(-3, true))
        || !strays(names).isEmpty()) {
        ++failures;
        std::printf("  the last save left the list wrong or files behind: %s\n", qPrintable(strays(names).join(u' ')));
    }
    std::printf("%d kills (%d after the save had finished, %d followed by another write): old list %d, "
                "new list %d, restored from the journal %d, old list kept beside a later write %d, faults %d\n",
                rounds, finished, rounds / 3, kept, written, restored, oldKept, failures);
    return failures ? 1 : 0;
}

// Each writer reads where the list leads, then all save within a few
// milliseconds of one another, as windows whose "Kaydet ve çık" were pressed
// together. A writer that finds the list changed is asked, and keeps it.
int race(int trials, int writers)
{
    int failures = 0, silent = 0, asked = 0, busy = 0;
    for (int trial = 0; trial < trials; ++trial) {
        save(entries(-1, false));
        const double start = now() + 0.15;
        std::vector<pid_t> children;
        for (int w = 0; w < writers; ++w) {
            const pid_t child = ::fork();
            if (child == 0) {
                const FilePlace read = ShortcutList::place();
                sleepUntil(start + random.bounded(0.003));
                FilePlace place;
                try {
                    ::_exit(ShortcutList::write(entries(100 + w, false), read, &place) ? 10 + w : 1);
                } catch (const RuntimeError &) {
                    ::_exit(2);
                }
            }
            children.push_back(child);
        }
        int saver = -1, saves = 0;
        for (const pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            if (code >= 10)
                saver = code - 10, ++saves;
            asked += code == 1;
            busy += code == 2;
        }
        silent += saves;
        const bool whole = saver >= 0 && readFile(ShortcutList::fileName()) == bytes(entries(100 + saver, false));
        if (saves != 1 || !whole) {
            ++failures;
            std::printf("  trial %d: %d saves without a question, list %s\n", trial, saves,
                        whole ? "that of the one that saved" : "not that of the one that saved");
        }
    }
    std::printf("%d trials of %d writers: saved without a question %d, asked %d, could not wait %d, "
                "edits lost without a question %d\n",
                trials, writers, silent, asked, busy, failures);
    return failures ? 1 : 0;
}

}

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.value(0) == QLatin1String("kill") && args.size() >= 2)
        return kill(args.at(1).toInt(), args.mid(2));
    if (args.value(0) == QLatin1String("race") && args.size() == 3)
        return race(args.at(1).toInt(), args.at(2).toInt());
    std::fprintf(stderr, "usage: save-trial kill ROUNDS [KEEP...] | race TRIALS WRITERS\n");
    return 2;
}
