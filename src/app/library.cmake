# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(hizli ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(hizli PRIVATE hizliwindows)
# At the top of the build, where scripts/run and the benchmarks start it.
set_target_properties(hizli PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
