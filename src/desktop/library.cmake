# SPDX-License-Identifier: GPL-3.0-or-later
# X11 window states and frames, activation and startup notification, on Qt's own connection.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
hizli_library(desktop
    SOURCES datafolder.cpp desktop.cpp runninglauncher.cpp
    USES hizlierrors hizlifiles Qt6::Widgets PkgConfig::XCB)
