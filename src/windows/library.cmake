# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(windows
    SOURCES form1.cpp form2.cpp form3.cpp
    USES hizlitext hizlierrors hizlifiles hizlifilesystem hizlidesktop hizliprocess hizlistore hizliwidgets
         hizlishell)
