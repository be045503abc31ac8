// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/runtimefolder.h"

#include "files/descriptor.h"
#include "files/leftovers.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool isPrivate(const QByteArray &folder)
{
    struct stat st;
    return folder.startsWith('/') && ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode)
            && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}
}

QByteArray RuntimeFolder::path()
{
    QByteArray session = qgetenv("XDG_RUNTIME_DIR");
    if (isPrivate(session))
        return session;
    QByteArray shared = "/tmp/hizli-" + QByteArray::number(::geteuid());
    ::mkdir(shared.constData(), 0700);
    if (isPrivate(shared))
        return shared;
    const QByteArray cache = Leftovers::cachePath();
    Leftovers::openCache(true);
    return isPrivate(cache) ? cache : QByteArray();
}

bool RuntimeFolder::lockWithin(Descriptor *lock, const QByteArray &name, int ms)
{
    const QByteArray folder = path();
    if (folder.isEmpty())
        return true;
    lock->reset(::open((folder + '/' + name).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        if (!lock->isOpen() || ::flock(lock->get(), LOCK_EX | LOCK_NB) == 0)
            return true;
        // A file system without locks takes turns by nothing; the lock is
        // then not held.
        if (errno != EWOULDBLOCK && errno != EINTR) {
            lock->reset();
            return true;
        }
        timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if ((now.tv_sec - start.tv_sec) * 1000L + (now.tv_nsec - start.tv_nsec) / 1000000 >= ms) {
            lock->reset();
            return false;
        }
        const timespec pause = { 0, 5'000'000 };
        ::nanosleep(&pause, nullptr);
    }
}
