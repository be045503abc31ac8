#include "runtime/form.h"
#include "runtime/runtime.h"
#include "launcher/form1.h"

#include <QApplication>

#include <vector>

namespace {
// The launcher's windows open at fixed places, which a Wayland client cannot
// choose: run on XWayland unless the user picked a platform. This goes on the
// command line, not into the environment, so started programs do not inherit it.
std::vector<char *> withPlatform(int argc, char **argv)
{
    std::vector<char *> args(argv, argv + argc);
    bool chosen = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i)
        chosen = chosen || qstrcmp(argv[i], "-platform") == 0;
    const bool wayland = qgetenv("XDG_SESSION_TYPE") == "wayland"
                         || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!chosen && wayland && qEnvironmentVariableIsSet("DISPLAY")) {
        static char platform[] = "-platform";
        static char xcb[] = "xcb";
        args.insert(args.begin() + 1, {platform, xcb});
    }
    args.push_back(nullptr);
    return args;
}
}

int main(int argc, char **argv)
{
    std::vector<char *> args = withPlatform(argc, argv);
    int count = int(args.size()) - 1;
    QApplication app(count, args.data());
    app.setQuitOnLastWindowClosed(false);

    Runtime::run([] { Form1::instance().show(); });
    const int status = Runtime::hasEnded() ? Runtime::exitStatus() : app.exec();
    Form::unloadAll();
    return status;
}
