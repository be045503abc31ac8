# SPDX-License-Identifier: GPL-3.0-or-later
# One library a folder, each using only the folders before it here; the
# same order, as a table, is what scripts/check-layers enforces on includes.
#
#   text        the files' text form: fields, records, the code page
#   errors      run-time errors, kept as data
#   files       numbered files, the replacer, their locks and leftovers
#   filesystem  the file system as the picker sees it: mounts, volumes, folders
#   desktop     what the desktop gives beyond Qt: display, startup
#               notification, taskbar state, the running launcher, the data folder
#   process     the program a command line names, and its start
#   store       the shortcut list and the hand-off file
#   widgets     the controls, with their accessibility interfaces
#   shell       running handlers, the message box, the end, window lifetime
#   windows     the launcher, the settings window and the picker
#   app         the program's entry

#
# Each folder's library.cmake lists its sources; they are included from the
# top of the tree, so that every object file sits under its library's
# folder by the source's path from there (src/<folder>/<file>.cpp.o).

# hizli_library(FOLDER SOURCES file... USES library...): the library hizli<FOLDER>.
function(hizli_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;USES")
    list(TRANSFORM arg_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/${name}/)
    add_library(hizli${name} STATIC ${arg_SOURCES})
    target_include_directories(hizli${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(hizli${name} PUBLIC ${arg_USES})
endfunction()

foreach(folder text errors files filesystem desktop process store widgets shell windows app)
    include(${PROJECT_SOURCE_DIR}/src/${folder}/library.cmake)
endforeach()
