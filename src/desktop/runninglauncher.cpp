// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/runninglauncher.h"

#include "files/descriptor.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A peer that does not answer within this is taken for gone.
constexpr int answerMilliseconds = 2000;
constexpr qsizetype maxRequest = 1024;

struct Place
{
    QByteArray socket;
    QByteArray lock;
};

// Only a folder of this user's own that no one else may enter: the socket
// answers whoever can reach it.
bool isPrivateFolder(const QByteArray &folder)
{
    struct stat st;
    return ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
            && (st.st_mode & 077) == 0;
}

Place place()
{
    QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    if (!folder.startsWith('/') || !isPrivateFolder(folder)) {
        folder = "/tmp/hizli-" + QByteArray::number(::geteuid());
        ::mkdir(folder.constData(), 0700);
        if (!isPrivateFolder(folder))
            return {};
    }
    struct stat here;
    if (::stat(".", &here) != 0)
        return {};
    const QByteArray name = folder + "/hizli-" + QByteArray::number(quint64(here.st_dev)) + '-'
            + QByteArray::number(quint64(here.st_ino));
    sockaddr_un address;
    if (std::size_t(name.size()) + 5 >= sizeof address.sun_path)
        return {};
    return { name + ".sock", name + ".lock" };
}

sockaddr_un addressOf(const QByteArray &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return address;
}

bool waitFor(int fd, short events)
{
    pollfd ready { fd, events, 0 };
    return ::poll(&ready, 1, answerMilliseconds) == 1 && (ready.revents & events);
}

// Held from a start that found no launcher until it listens itself, so that
// a start at the same moment waits for it instead of becoming a second one.
Descriptor heldLock;

void release()
{
    heldLock.reset();
}

// The socket this process listens on, removed when it ends unless another
// launcher has put its own in its place.
struct Listening
{
    Descriptor server;
    QByteArray path;
    ino_t inode = 0;
    ~Listening()
    {
        struct stat st;
        if (inode && ::lstat(path.constData(), &st) == 0 && st.st_ino == inode)
            ::unlink(path.constData());
    }
};
Listening listening;
}

bool RunningLauncher::handOver(const QByteArray &startupId)
{
    const Place here = place();
    if (here.socket.isEmpty())
        return false;
    heldLock.reset(::open(here.lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    for (int waited = 0; heldLock.isOpen() && ::flock(heldLock.get(), LOCK_EX | LOCK_NB) != 0; waited += 10) {
        if (waited >= answerMilliseconds)
            release();
        else
            ::usleep(10000);
    }
    const Descriptor peer(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_un address = addressOf(here.socket);
    bool answered = false;
    if (::connect(peer.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        const QByteArray request = startupId.left(maxRequest - 1) + '\n';
        char reply[3] = {};
        answered = ::write(peer.get(), request.constData(), size_t(request.size())) == request.size()
                && waitFor(peer.get(), POLLIN) && ::read(peer.get(), reply, 3) == 3
                && std::memcmp(reply, "ok\n", 3) == 0;
    }
    if (answered)
        release();
    return answered;
}

void RunningLauncher::listen(const std::function<void(const QByteArray &)> &comeBack)
{
    const Place here = place();
    if (here.socket.isEmpty()) {
        release();
        return;
    }
    Descriptor server(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const sockaddr_un address = addressOf(here.socket);
    struct stat st;
    // What stands there belongs to a launcher that is gone or did not answer.
    if (::lstat(here.socket.constData(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(here.socket.constData());
    if (::bind(server.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(server.get(), SOMAXCONN) != 0 || ::lstat(here.socket.constData(), &st) != 0) {
        release();
        return;
    }
    listening.server = std::move(server);
    listening.path = here.socket;
    listening.inode = st.st_ino;
    release();
    const int fd = listening.server.get();
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd, comeBack] {
        const Descriptor peer(::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC));
        // The peer writes its request before it waits for the answer.
        QByteArray request;
        char buffer[256];
        while (!request.contains('\n') && request.size() < maxRequest && waitFor(peer.get(), POLLIN)) {
            const ssize_t n = ::read(peer.get(), buffer, sizeof buffer);
            if (n <= 0)
                break;
            request.append(buffer, n);
        }
        const bool whole = request.contains('\n');
        if (whole)
            (void)!::write(peer.get(), "ok\n", 3);
        if (whole)
            comeBack(request.left(request.indexOf('\n')));
    });
}
