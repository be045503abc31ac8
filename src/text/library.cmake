# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(text
    SOURCES fieldreader.cpp handoffrecord.cpp recordwriter.cpp windows1254.cpp
    USES Qt6::Core)
