// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/datafolder.h"
#include "desktop/desktop.h"
#include "desktop/runninglauncher.h"
#include "errors/runtimeerror.h"
#include "filesystem/volumes.h"
#include "process/processstarter.h"
#include "shell/form.h"
#include "shell/messages.h"
#include "shell/runtime.h"
#include "widgets/accessiblefactory.h"
#include "windows/form1.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {
bool given(int argc, char **argv, const char *option)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0)
            return true;
    }
    return false;
}

// The first argument that is neither Hızlı's option nor one of the options
// QApplication takes for itself (-style, -platform NAME, ...); empty when
// there is none.
QByteArray unknownArgument(int argc, char **argv)
{
    static const QList<QByteArray> ours = { "--desktop", "--help", "-h", "--version" };
    static const QList<QByteArray> qtWithValue = {
        "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry", "qwindowicon",
        "icon",     "qwindowtitle",       "title",         "session", "display",         "style",    "stylesheet",
        "name"
    };
    static const QList<QByteArray> qtFlags = { "reverse", "widgetcount", "nograb", "dograb", "sync" };
    for (int i = 1; i < argc; ++i) {
        QByteArray argument = argv[i];
        const QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1).split('=').first();
        if (ours.contains(argument) || (argument.startsWith('-') && qtFlags.contains(name)))
            continue;
        if (!argument.startsWith('-') || !qtWithValue.contains(name))
            return argument;
        i += argument.contains('=') ? 0 : 1;
    }
    return {};
}
}

int main(int argc, char **argv)
{
    // Answered without a display, as a terminal user expects.
    if (given(argc, argv, "--help") || given(argc, argv, "-h")) {
        std::fputs(Messages::usage().constData(), stdout);
        return 0;
    }
    if (given(argc, argv, "--version")) {
        std::puts("hizli " HIZLI_VERSION);
        return 0;
    }
    // A mistyped option (in a desktop entry, say) is said, not ignored.
    if (const QByteArray unknown = unknownArgument(argc, argv); !unknown.isEmpty()) {
        std::fputs(Messages::unknownOption(unknown).constData(), stderr);
        return 2;
    }
    // From the desktop menu the list lives in the user's data folder, and
    // the programs and the picker begin at home, as anything started from
    // the menu does.
    std::optional<RuntimeError> notEntered;
    if (given(argc, argv, "--desktop")) {
        try {
            DataFolder::enter();
            ProcessStarter::setStartFolder(DataFolder::home());
            Volumes::setStartFolder(DataFolder::home());
        } catch (const RuntimeError &error) {
            notEntered = error;
        }
    }

    // The platform goes on the command line, not into the environment, so
    // started programs do not inherit it. On a Wayland session with XWayland
    // this keeps the windows at their fixed places; QApplication would abort
    // where there is no display at all.
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--desktop") != 0)
            args.push_back(argv[i]);
    }
    static char platform[] = "-platform";
    static char xcb[] = "xcb";
    static char wayland[] = "wayland";
    const Desktop::Display display = Desktop::reachable(argc, argv);
    switch (display) {
    case Desktop::Display::None:
    case Desktop::Display::Refused:
        std::fputs(Messages::noDisplay(display == Desktop::Display::Refused).constData(), stderr);
        return 1;
    case Desktop::Display::X11:
        args.insert(args.begin() + 1, { platform, xcb });
        break;
    case Desktop::Display::Wayland:
        args.insert(args.begin() + 1, { platform, wayland });
        break;
    case Desktop::Display::Chosen:
        break;
    }

    // A launcher of this user already running on this list comes to the
    // front instead of a second one.
    if (!notEntered && RunningLauncher::handOver(qgetenv("DESKTOP_STARTUP_ID"), qgetenv("XDG_ACTIVATION_TOKEN")))
        return 0;

    args.push_back(nullptr);
    int count = int(args.size()) - 1;
    QApplication app(count, args.data());
    app.setQuitOnLastWindowClosed(false);
    Desktop::watchUserInput();
    AccessibleFactory::install();
    if (notEntered) {
        Runtime::report(*notEntered);
        return 1;
    }
    RunningLauncher::listen([](const QByteArray &startupId, const QByteArray &token) {
        Desktop::activate(Form::raiseAll(), startupId, token);
    });

    Runtime::run([] { Form1::instance().show(); });
    const int status = Runtime::hasEnded() ? Runtime::exitStatus() : app.exec();
    Form::unloadAll();
    return status;
}
