// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QMargins>
#include <QString>

#include <optional>
#include <vector>

class QWidget;

// What the program asks of the desktop beyond Qt's own calls: which display
// to open, the launcher's place outside the taskbar, the frames the window
// manager puts around the windows, and the startup notification that gives a
// started program the focus. All of it is X11's;
// elsewhere the calls do nothing.
class Desktop
{
public:
    enum class Display { X11, Wayland, Chosen, None, Refused };

    // Run before QApplication, which aborts when it finds no display. An X
    // server that takes this client comes first, as the windows' fixed places
    // need it; a Wayland compositor serves as well. Refused: an X server that
    // refuses this client, and no compositor. A platform the user chose with
    // QT_QPA_PLATFORM or -platform is left to Qt.
    static Display reachable(int argc, char **argv);

    // Notes the X server time of each press and key, from which a started
    // program's startup notification takes the time of the user's click.
    static void watchUserInput();

    // Sets _NET_WM_STATE_SKIP_TASKBAR and _SKIP_PAGER on a window not yet shown.
    static void keepOutOfTaskbar(QWidget *window);

    // The frame the window manager has put around window, as it reports it
    // in _NET_FRAME_EXTENTS, in the window's device-independent pixels; none
    // before it has framed the window.
    static std::optional<QMargins> frame(const QWidget *window);
    // Whether a native event of a window may bring news of its frame: the
    // window was mapped, or its _NET_FRAME_EXTENTS changed.
    static bool framing(const QByteArray &eventType, const void *message);

    // A startup-notification sequence for a program about to start, and the
    // entries the program's environment gets for it. A program that is not
    // started after all ends its sequence through end().
    struct Startup
    {
        QByteArray id; // empty without an X server
        std::vector<QByteArray> environment;
    };
    static Startup begin(const QString &program);
    static void end(const Startup &startup);

    // The launcher's environment for a started program: its own startup
    // entries, which belonged to the launcher's start, replaced by these.
    static std::vector<QByteArray> environmentWith(const std::vector<QByteArray> &entries);

    // Gives window (when there is one) the focus at the request of another
    // start of the program, and ends that start's startup notification. A
    // window manager that guards against focus stealing weighs the request
    // by its time: the click's, from the startup ID, or else the moment now.
    // On Wayland the compositor grants it by the token the session gave
    // that start.
    static void activate(QWidget *window, const QByteArray &startupId, const QByteArray &token);
};
