# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(store
    SOURCES handoff.cpp shortcutlist.cpp
    USES hizlitext hizlierrors hizlifiles)
