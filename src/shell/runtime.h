// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class RuntimeError;

// The one place where handlers are run, run-time errors are reported and the
// program ends. Tests put hooks in place of the modal box and of the end of
// the process, so that both can be observed without a person or an exit.
class Runtime
{
public:
    // Returns the index of the button the box was closed with; it is told
    // which button Enter and which Escape would press.
    using MessageBoxHook = std::function<int(const QString &prompt, const QString &title, const QStringList &buttons,
                                             int enterButton, int escapeButton)>;
    using EndHook = std::function<void(int status)>;

    static const QString &title();

    // Runs one handler to its end. A RuntimeError it raises is shown and ends
    // the program with status 1; a handler that leaves no window of the
    // program visible ends it with status 0.
    static void run(const std::function<void()> &handler);

    // Connects a signal to a window's handler through run().
    template <typename Sender, typename Signal, typename Window>
    static void connect(Sender *sender, Signal signal, Window *window, void (Window::*handler)())
    {
        QObject::connect(sender, signal, window,
                         [window, handler] { run([window, handler] { (window->*handler)(); }); });
    }

    // The modal box with one OK button. An LF CR pair (and any lone LF or CR)
    // shows as one line break; the prompt itself is not changed.
    static void messageBox(const QString &prompt, const QString &title);
    // The same box with buttons of its own, defaultButton the one Enter
    // presses and the last the one Escape presses; returns the index of the
    // one pressed.
    static int ask(const QString &prompt, const QString &title, const QStringList &buttons, int defaultButton = 0);
    static void report(const RuntimeError &error);

    // Every window goes at once, open files are closed, the process exits.
    // Only the first call counts.
    static void end(int status = 0);
    static void endIfNoWindowVisible();
    static bool hasEnded();
    static int exitStatus();

    static void setMessageBoxHook(MessageBoxHook hook);
    static void setEndHook(EndHook hook);
    // Forgets that the program ended and unloads every window (tests only).
    static void reset();

    // The box's text as it is shown: every line break a plain newline, and
    // a line longer than maxLineLength shortened in its middle.
    static QString displayText(const QString &prompt);
    static constexpr int maxLineLength = 300;
};
