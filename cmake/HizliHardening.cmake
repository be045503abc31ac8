# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian builds its own packages with: a position-independent
# program, a read-only relocation table bound at start-up, and the checked
# variants of the C library's string and memory functions.
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -fstack-clash-protection)
# The checked functions need the optimiser; a Debug build (the sanitizer run's)
# has none and would only warn. Flags that already choose a level win.
if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
    add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()
add_link_options(LINKER:-z,relro LINKER:-z,now)
