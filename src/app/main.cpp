// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/form1.h"
#include "runtime/desktop.h"
#include "runtime/form.h"
#include "runtime/messages.h"
#include "runtime/runtime.h"

#include <QApplication>

#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    // The platform goes on the command line, not into the environment, so
    // started programs do not inherit it. On a Wayland session with XWayland
    // this keeps the windows at their fixed places; QApplication would abort
    // where there is no display at all.
    std::vector<char *> args(argv, argv + argc);
    static char platform[] = "-platform";
    static char xcb[] = "xcb";
    static char wayland[] = "wayland";
    switch (Desktop::reachable(argc, argv)) {
    case Desktop::Display::None:
        std::fputs(Messages::noDisplay().constData(), stderr);
        return 1;
    case Desktop::Display::X11:
        args.insert(args.begin() + 1, {platform, xcb});
        break;
    case Desktop::Display::Wayland:
        args.insert(args.begin() + 1, {platform, wayland});
        break;
    case Desktop::Display::Chosen:
        break;
    }
    args.push_back(nullptr);
    int count = int(args.size()) - 1;
    QApplication app(count, args.data());
    app.setQuitOnLastWindowClosed(false);
    Desktop::watchUserInput();

    Runtime::run([] { Form1::instance().show(); });
    const int status = Runtime::hasEnded() ? Runtime::exitStatus() : app.exec();
    Form::unloadAll();
    return status;
}
