// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/runninglauncher.h"

#include "files/descriptor.h"
#include "files/runtimefolder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A peer that does not answer, or does not finish its request, within this
// is taken for gone.
constexpr int answerMilliseconds = 2000;
constexpr qsizetype maxRequest = 1024;

// The display this start shows on. A launcher on another display (a local
// and a remote session of the same user) is out of the user's sight, so
// each display has its own; the screen part names the same server.
QByteArray display()
{
    const QByteArray x = qgetenv("DISPLAY");
    if (x.isEmpty())
        return "wayland " + qgetenv("WAYLAND_DISPLAY");
    const qsizetype colon = x.lastIndexOf(':');
    QByteArray host = x.left(colon);
    if (host == "unix")
        host.clear();
    const QByteArray number = x.mid(colon + 1).split('.').first();
    return "x11 " + host + ':' + number;
}

// The name of this folder's and display's launcher in the runtime folder,
// empty where there is none. The display name is hashed: it may hold any
// byte and be long.
QByteArray placeName()
{
    struct stat here;
    if (::stat(".", &here) != 0)
        return {};
    return "hizli-" + QByteArray::number(quint64(here.st_dev)) + '-' + QByteArray::number(quint64(here.st_ino)) + '-'
            + QCryptographicHash::hash(display(), QCryptographicHash::Sha256).toHex().left(16);
}

// False where the path does not fit a socket address.
bool addressOf(const QByteArray &path, sockaddr_un *address)
{
    *address = {};
    address->sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

QByteArray socketPath(const QByteArray &name)
{
    const QByteArray folder = RuntimeFolder::path();
    return folder.isEmpty() || name.isEmpty() ? QByteArray() : folder + '/' + name + ".sock";
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
    Peer(int fd, const std::function<void(const QByteArray &, const QByteArray &)> &comeBack)
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
        const QList<QByteArray> fields = m_request.left(end).split('\t');
        if (end >= 0 && ::send(m_socket.get(), "ok\n", 3, MSG_NOSIGNAL | MSG_DONTWAIT) == 3)
            m_comeBack(fields.value(0), fields.value(1));
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
    std::function<void(const QByteArray &, const QByteArray &)> m_comeBack;
    QByteArray m_request;
};
} // namespace

bool RunningLauncher::handOver(const QByteArray &startupId, const QByteArray &token)
{
    const QByteArray name = placeName();
    sockaddr_un address;
    if (!addressOf(socketPath(name), &address))
        return false;
    // Past the wait the holder is taken for hung, and this start goes on.
    RuntimeFolder::lockWithin(&heldLock, name + ".lock", answerMilliseconds);
    const Descriptor peer(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    bool answered = false;
    if (::connect(peer.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        // A tab stands in neither: a startup ID and a token are plain text.
        const QByteArray request = (startupId + '\t' + token).left(maxRequest - 1) + '\n';
        char reply[3] = {};
        pollfd ready { peer.get(), POLLIN, 0 };
        answered = ::send(peer.get(), request.constData(), size_t(request.size()), MSG_NOSIGNAL) == request.size()
                && ::poll(&ready, 1, answerMilliseconds) == 1 && ::read(peer.get(), reply, 3) == 3
                && std::memcmp(reply, "ok\n", 3) == 0;
    }
    if (answered)
        release();
    return answered;
}

void RunningLauncher::listen(const std::function<void(const QByteArray &, const QByteArray &)> &comeBack)
{
    const QByteArray path = socketPath(placeName());
    sockaddr_un address;
    if (!addressOf(path, &address)) {
        release();
        return;
    }
    Descriptor server(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    struct stat st;
    // What stands there belongs to a launcher that is gone or did not answer.
    if (::lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(path.constData());
    if (::bind(server.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(server.get(), SOMAXCONN) != 0 || ::lstat(path.constData(), &st) != 0) {
        release();
        return;
    }
    listening.server = std::move(server);
    listening.path = path;
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
