# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(shell
    SOURCES form.cpp messages.cpp runtime.cpp windowevents.cpp
    USES hizlitext hizlierrors hizlifiles hizlidesktop Qt6::Widgets)
