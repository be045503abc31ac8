// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>

// The launcher of this user that already runs in this folder on this
// display, reached by a socket in the user's runtime folder named after the
// folder's identity and the display: a second start there hands its request
// over and ends, so that starting Hızlı again brings back the one that runs.
// A start in another folder, with another list, or on another display, where
// the first is out of sight, is a launcher of its own.
class RunningLauncher
{
public:
    // Run before QApplication. True when a running launcher took the request
    // to come to the front, with this start's startup ID (X11) and activation
    // token (Wayland).
    static bool handOver(const QByteArray &startupId, const QByteArray &token);
    // From now on this process answers; each request calls comeBack with the
    // startup ID and the activation token of the start that made it.
    static void listen(const std::function<void(const QByteArray &startupId, const QByteArray &token)> &comeBack);
};
