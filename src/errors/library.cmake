# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(errors
    SOURCES runtimeerror.cpp
    USES hizlitext Qt6::Core)
