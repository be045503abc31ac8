# SPDX-License-Identifier: GPL-3.0-or-later
# One library a folder, each using only the folders before it in the list
# below, those its library.cmake links: scripts/check-layers reads both and
# holds every include to them. HACKING.md says what each folder holds.
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
    # An error's kind left out of its switch in Messages, or raised short of its data, fails every build.
    target_compile_options(hizli${name} PRIVATE -Werror=switch -Werror=missing-field-initializers)
endfunction()

foreach(folder text errors files filesystem desktop process store widgets shell windows app)
    include(${PROJECT_SOURCE_DIR}/src/${folder}/library.cmake)
endforeach()
