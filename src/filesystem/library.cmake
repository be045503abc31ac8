# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(filesystem
    SOURCES folderentries.cpp mounttable.cpp volumes.cpp
    USES Qt6::Core)
