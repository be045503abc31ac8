# SPDX-License-Identifier: GPL-3.0-or-later
hizli_library(widgets
    SOURCES accessiblefactory.cpp appicon.cpp dirlistbox.cpp drivelistbox.cpp drivelistboxaccessible.cpp
            filelistbox.cpp indentdelegate.cpp listbox.cpp pushbutton.cpp textbox.cpp textboxaccessible.cpp
            twips.cpp wrapmenubar.cpp wrapmenubaraccessible.cpp wrapmenuitemaccessible.cpp wrappushbutton.cpp
    USES hizlifilesystem Qt6::Widgets)
# The icon's pixmaps are built in from icons/.
target_include_directories(hizliwidgets PRIVATE ${PROJECT_SOURCE_DIR})
