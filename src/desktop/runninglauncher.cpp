// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/runninglauncher.h"

#include "files/descriptor.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
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
// A peer that does not answer, or does not finish its request, within this
// is taken for gone.
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

// One peer's request, gathered as its bytes arrive: the window goes on
// while a peer is slow or silent, and any number may be under way. A peer
// that has not sent a whole line by its deadline, or hangs up, is dropped
// unanswered.
class Peer : public QObject
{
public:
    Peer(int fd, const std::function<void(const QByteArray &)> &comeBack)
        : m_socket(fd)
        , m_notifier(fd, QSocketNotifier::Read)
        , m_comeBack(comeBack)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, this, &Peer::readSome);
        m_deadline.setSingleShot(true);
        QObject::connect(&m_deadline, &QTimer::timeout, this, &Peer::drop);
        m_deadline.start(answerMilliseconds);
    }

private:
    void readSome()
    {
        char buffer[256];
        const ssize_t n =
                ::recv(m_socket.get(), buffer, std::min(sizeof buffer, size_t(maxRequest - m_request.size())), 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n <= 0) {
            drop();
            return;
        }
        m_request.append(buffer, n);
        const qsizetype end = m_request.indexOf('\n');
        if (end < 0 && m_request.size() < maxRequest)
            return;
        drop();
        // MSG_NOSIGNAL: a peer that hung up after its request must not end
        // this launcher by SIGPIPE. Such a start has given up waiting and may
        // show a launcher of its own, so this one stays where it is.
        if (end >= 0 && ::send(m_socket.get(), "ok\n", 3, MSG_NOSIGNAL | MSG_DONTWAIT) == 3)
            m_comeBack(m_request.left(end));
    }

    void drop()
    {
        m_notifier.setEnabled(false);
        m_deadline.stop();
        deleteLater();
    }

    // Declared first, so that it closes after the notifier that watches it.
    Descriptor m_socket;
    QSocketNotifier m_notifier;
    QTimer m_deadline;
    std::function<void(const QByteArray &)> m_comeBack;
    QByteArray m_request;
};
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
        answered = ::send(peer.get(), request.constData(), size_t(request.size()), MSG_NOSIGNAL) == request.size()
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
        const int peer = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer >= 0)
            new Peer(peer, comeBack);
    });
}
