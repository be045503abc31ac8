# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(process
    SOURCES processstarter.cpp
    USES hizlierrors hizlidesktop Qt6::Core)
