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
    switch (Desktop::reachable(argc, argv)) {
    case Desktop::Display::None:
        std::fputs(Messages::noDisplay().constData(), stderr);
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
    if (!notEntered && RunningLauncher::handOver(qgetenv("DESKTOP_STARTUP_ID")))
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
    RunningLauncher::listen([](const QByteArray &startupId) { Desktop::activate(Form::raiseAll(), startupId); });

    Runtime::run([] { Form1::instance().show(); });
    const int status = Runtime::hasEnded() ? Runtime::exitStatus() : app.exec();
    Form::unloadAll();
    return status;
}
