# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(errors
    SOURCES runtimeerror.cpp
    USES Qt6::Core)
