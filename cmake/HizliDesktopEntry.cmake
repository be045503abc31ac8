# SPDX-License-Identifier: GPL-3.0-or-later
# Runs at install time (from install(CODE) in HizliInstall.cmake) with
#   hizli_desktop_template  the entry's template
#   hizli_desktop_work      a folder of the build tree to write it in
# and writes the desktop entry whose Exec names the program under the prefix
# being installed to, with the option that keeps the list in the user's data
# folder and starts programs at home.

set(prefix "${CMAKE_INSTALL_PREFIX}")
if(NOT IS_ABSOLUTE "${prefix}")
    get_filename_component(prefix "${prefix}" ABSOLUTE)
endif()
set(exec "${prefix}/bin/hizli")

if(exec MATCHES "[\n\r]")
    message(FATAL_ERROR "A desktop entry cannot start a program whose path holds a line break: ${exec}")
endif()
# Desktop entry rules: a program path with reserved characters goes in double
# quotation marks, with " ` $ and \ escaped by a backslash; then the value's
# own escape doubles every backslash, and % stands for field codes.
string(REPLACE "%" "%%" exec "${exec}")
if(exec MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "\"" "\\\"" exec "${exec}")
    string(REPLACE "`" "\\`" exec "${exec}")
    string(REPLACE "$" "\\$" exec "${exec}")
    set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" HIZLI_DESKTOP_EXEC "${exec} --desktop")

# One file per prefix, so that installs to different prefixes never share one.
string(MD5 key "${prefix}")
set(entry "${hizli_desktop_work}/${key}/hizli.desktop")
file(READ "${hizli_desktop_template}" template)
file(CONFIGURE OUTPUT "${entry}" CONTENT "${template}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE FILES "${entry}")
