# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(files
    SOURCES descriptor.cpp filelocation.cpp fileplace.cpp filereplacer.cpp filetable.cpp leftovers.cpp numberedfile.cpp
        runtimefolder.cpp
    USES hizlitext hizlierrors Qt6::Core)
