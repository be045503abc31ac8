// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/desktop.h"

#include "files/descriptor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputEvent>
#include <QSysInfo>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// The X server time of the last press or key: a launch item pressed through
// the accessibility bus comes with none.
std::optional<unsigned long> userTime;

class UserInputWatcher : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            userTime = static_cast<QInputEvent *>(event)->timestamp();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

xcb_connection_t *x11()
{
    auto *native = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return native ? native->connection() : nullptr;
}

std::vector<xcb_atom_t> atoms(xcb_connection_t *connection, std::initializer_list<const char *> names)
{
    // All asked at once, so the lot costs one round trip.
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const char *name : names)
        cookies.push_back(xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name));
    std::vector<xcb_atom_t> found;
    for (const xcb_intern_atom_cookie_t &cookie : cookies) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        found.push_back(reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE));
        std::free(reply);
    }
    return found;
}

bool socketAnswers(const QByteArray &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), path.size());
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return ::connect(socket.get(), reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
}

// Only the whole handshake tells a server that takes this client from one
// that refuses it (no authorization), which Qt could not open.
Desktop::Display xServer()
{
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return Desktop::Display::None;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (answers)
        return Desktop::Display::X11;
    const bool refuses =
            display.startsWith(':') && socketAnswers("/tmp/.X11-unix/X" + display.mid(1).split('.').first());
    return refuses ? Desktop::Display::Refused : Desktop::Display::None;
}

bool compositorAnswers()
{
    QByteArray path = qgetenv("WAYLAND_DISPLAY");
    if (path.isEmpty())
        return false;
    if (!path.startsWith('/')) {
        const QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
        if (folder.isEmpty())
            return false;
        path = folder + '/' + path;
    }
    return socketAnswers(path);
}

// A startup ID goes into environments and window properties: plain
// characters only.
QByteArray plain(const QString &text)
{
    QByteArray result = text.toUtf8();
    for (char &c : result) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
                || c == '_' || c == '+';
        if (!keep)
            c = '_';
    }
    return result;
}

QByteArray quoted(const QByteArray &value)
{
    QByteArray result = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            result += '\\';
        result += c;
    }
    return result + '"';
}

xcb_atom_t frameExtents(xcb_connection_t *connection)
{
    // Asked once: every property change of the windows is compared with it.
    static const xcb_atom_t atom = atoms(connection, { "_NET_FRAME_EXTENTS" }).front();
    return atom;
}

int screenNumber()
{
    // Only called with a display Qt has connected to, which parses.
    char *host = nullptr;
    int display {};
    int screen {};
    xcb_parse_display(nullptr, &host, &display, &screen);
    std::free(host);
    return screen;
}

// The protocol's messages go to the root window in pieces of 20 bytes, the
// first marked as a beginning, the text ended by a NUL. The window they name
// only tells the receiver which pieces belong together.
xcb_window_t rootOf(xcb_connection_t *connection);

void send(xcb_connection_t *connection, const QByteArray &message)
{
    const xcb_window_t root = rootOf(connection);
    const xcb_window_t sender = xcb_generate_id(connection);
    const uint32_t overrideRedirect = 1;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, root, -100, -100, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    const std::vector<xcb_atom_t> types = atoms(connection, { "_NET_STARTUP_INFO_BEGIN", "_NET_STARTUP_INFO" });
    const QByteArray text = message + '\0';
    for (qsizetype at = 0; at < text.size(); at += 20) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = sender;
        event.type = at == 0 ? types[0] : types[1];
        std::memcpy(event.data.data8, text.constData() + at, std::min<qsizetype>(20, text.size() - at));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char *>(&event));
    }
    xcb_destroy_window(connection, sender);
    // The launcher ends right after a start: the messages must be out first.
    xcb_flush(connection);
}

xcb_window_t rootOf(xcb_connection_t *connection)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = screenNumber(); i > 0 && screens.rem > 1; --i)
        xcb_screen_next(&screens);
    return screens.data->root;
}

// The X server's time now, from the notice of a property change on a window
// of a connection of its own: Qt's connection keeps the time of the last
// event it saw, which may be long past.
xcb_timestamp_t serverTimeNow()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    if (!xcb_connection_has_error(connection)) {
        const xcb_window_t window = xcb_generate_id(connection);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, rootOf(connection), -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(connection);
        using Event = std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>;
        while (const Event event { xcb_wait_for_event(connection), &std::free }) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                time = reinterpret_cast<xcb_property_notify_event_t *>(event.get())->time;
                break;
            }
        }
    }
    xcb_disconnect(connection);
    return time;
}
}

Desktop::Display Desktop::reachable(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return Display::Chosen;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return Display::Chosen;
    }
    const Display x = xServer();
    if (x == Display::X11)
        return x;
    return compositorAnswers() ? Display::Wayland : x;
}

void Desktop::watchUserInput()
{
    static UserInputWatcher watcher;
    QCoreApplication::instance()->installEventFilter(&watcher);
}

void Desktop::keepOutOfTaskbar(QWidget *window)
{
    xcb_connection_t *connection = x11();
    if (!connection)
        return;
    // Qt merges the states it sets itself into this property when it maps
    // the window, and keeps what it finds there.
    const std::vector<xcb_atom_t> found =
            atoms(connection, { "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" });
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()), found[0], XCB_ATOM_ATOM, 32, 2,
                        &found[1]);
}

std::optional<QMargins> Desktop::frame(const QWidget *window)
{
    xcb_connection_t *connection = x11();
    if (!connection || !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, xcb_window_t(window->winId()),
                                                              frameExtents(connection), XCB_ATOM_CARDINAL, 0, 4);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply {
        xcb_get_property_reply(connection, cookie, nullptr), &std::free
    };
    if (!reply || reply->format != 32 || reply->value_len != 4)
        return std::nullopt;
    const auto *extents = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    // Reported in device pixels, left, right, top, bottom. A part of a
    // device-independent pixel is a whole one, or the frame's last row of
    // device pixels would lie beyond the screen's edge at scale 2. A width
    // beyond all measure is cut short before it turns negative.
    const qreal ratio = window->devicePixelRatio();
    const auto pixels = [ratio](uint32_t device) { return int(std::ceil(std::min(device, 1U << 16) / ratio)); };
    return QMargins(pixels(extents[0]), pixels(extents[2]), pixels(extents[1]), pixels(extents[3]));
}

bool Desktop::framing(const QByteArray &eventType, const void *message)
{
    // Every event of the windows comes this way, pointer motion too.
    if (eventType != "xcb_generic_event_t")
        return false;
    xcb_connection_t *connection = x11();
    if (!connection)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_MAP_NOTIFY:
        return true;
    case XCB_PROPERTY_NOTIFY:
        return reinterpret_cast<const xcb_property_notify_event_t *>(event)->atom == frameExtents(connection);
    default:
        return false;
    }
}

Desktop::Startup Desktop::begin(const QString &program)
{
    Startup startup;
    xcb_connection_t *connection = x11();
    if (!connection)
        return startup;
    static int sequence = 0;
    const QString name = QFileInfo(program).fileName();
    // The window manager reads the time of the user's click from the ID's
    // _TIME part, and grants the focus by it.
    startup.id = "hizli-" + QByteArray::number(::getpid()) + '-' + plain(QSysInfo::machineHostName()) + '-'
            + plain(name) + '-' + QByteArray::number(++sequence);
    if (userTime)
        startup.id += "_TIME" + QByteArray::number(qulonglong(*userTime));
    QByteArray message = "new: ID=" + quoted(startup.id) + " NAME=" + quoted(name.toUtf8())
            + " BIN=" + quoted(name.toUtf8()) + " SCREEN=" + QByteArray::number(screenNumber());
    if (userTime)
        message += " TIMESTAMP=" + QByteArray::number(qulonglong(*userTime));
    send(connection, message);
    startup.environment.push_back("DESKTOP_STARTUP_ID=" + startup.id);
    // On XWayland, Wayland programs ask the compositor for the focus with a
    // token; the compositors that run X programs take the startup ID as one.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        startup.environment.push_back("XDG_ACTIVATION_TOKEN=" + startup.id);
    return startup;
}

void Desktop::end(const Startup &startup)
{
    xcb_connection_t *connection = x11();
    if (connection && !startup.id.isEmpty())
        send(connection, "remove: ID=" + quoted(startup.id));
}

void Desktop::activate(QWidget *window, const QByteArray &startupId, const QByteArray &token)
{
    xcb_connection_t *connection = x11();
    if (window)
        window->raise();
    if (!connection) {
        // Qt's Wayland window asks for the activation with the token it finds
        // here, and takes it out again; the programs Hızlı starts get their
        // own environment without it.
        if (!token.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", token);
        if (window)
            window->activateWindow();
        return;
    }
    if (window) {
        const qsizetype at = startupId.lastIndexOf("_TIME");
        bool known = false;
        xcb_timestamp_t time = at >= 0 ? startupId.mid(at + 5).toUInt(&known) : 0;
        // A time of 0 (gtk-launch's) is none: a window manager that weighs
        // the request by it would keep the launcher behind.
        if (!known || time == 0)
            time = serverTimeNow();
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = xcb_window_t(window->winId());
        event.type = atoms(connection, { "_NET_ACTIVE_WINDOW" }).front();
        event.data.data32[0] = 1; // from an application
        event.data.data32[1] = time;
        xcb_send_event(connection, 0, rootOf(connection),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
    }
    if (!startupId.isEmpty())
        send(connection, "remove: ID=" + quoted(startupId));
    xcb_flush(connection);
}

std::vector<QByteArray> Desktop::environmentWith(const std::vector<QByteArray> &entries)
{
    std::vector<QByteArray> environment;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArray line(*entry);
        if (!line.startsWith("DESKTOP_STARTUP_ID=") && !line.startsWith("XDG_ACTIVATION_TOKEN="))
            environment.push_back(line);
    }
    environment.insert(environment.end(), entries.begin(), entries.end());
    return environment;
}
