# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(hizli ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
# Every library main uses itself, as scripts/check-layers reads it.
target_link_libraries(hizli PRIVATE hizlierrors hizlifilesystem hizlidesktop hizliprocess hizliwidgets hizlishell
    hizliwindows)
# At the top of the build, where scripts/run and the benchmarks start it.
set_target_properties(hizli PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
