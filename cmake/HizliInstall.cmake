# SPDX-License-Identifier: GPL-3.0-or-later
# What cmake --install puts under the prefix, and the Debian package cpack
# makes of it:
#
#   bin/hizli                                the program
#   share/applications/hizli.desktop
#   share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/hizli.png
#   share/icons/hicolor/scalable/apps/hizli.svg
#   share/metainfo/io.github.hizli.hizli.metainfo.xml   for software centres
#   share/hizli/data.txt                     the example list
#   share/doc/hizli/{copyright,changelog.gz}
#   share/lintian/overrides/hizli            why lintian's two remarks do not apply
#   share/man/man1/hizli.1.gz, share/man/tr/man1/hizli.1.gz
#
# The layout is fixed: the program finds the example list from its own
# place, PREFIX/bin, so an installed tree can be moved (or staged under
# DESTDIR) as a whole.

# The theme wants PNG. The 16 and 32 pixel images are the XPM icons the
# program builds into its windows; the larger ones, for menus and docks, are
# drawn from the SVG, which also goes in as the scalable icon. A few lines of
# Qt convert them at build time instead of a new image tool.
find_package(Qt6 REQUIRED COMPONENTS Svg)
add_executable(hizli-iconpng EXCLUDE_FROM_ALL packaging/iconpng.cpp)
target_link_libraries(hizli-iconpng PRIVATE Qt6::Gui Qt6::Svg)

set(hizli_icon_pngs)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
foreach(size 16 32 48 64 128)
    if(size LESS 48)
        set(image ${CMAKE_CURRENT_SOURCE_DIR}/icons/hizli-${size}.xpm)
    else()
        set(image ${CMAKE_CURRENT_SOURCE_DIR}/icons/hizli.svg)
    endif()
    set(png ${CMAKE_CURRENT_BINARY_DIR}/packaging/hizli-${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND hizli-iconpng ${image} ${png} ${size}
        DEPENDS hizli-iconpng ${image}
        COMMENT "Drawing the ${size} pixel icon"
        VERBATIM)
    list(APPEND hizli_icon_pngs ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME hizli.png)
endforeach()
install(FILES icons/hizli.svg DESTINATION share/icons/hicolor/scalable/apps)
add_custom_target(hizli-icons ALL DEPENDS ${hizli_icon_pngs})

install(TARGETS hizli RUNTIME DESTINATION bin)
install(FILES examples/data.txt DESTINATION share/hizli)
install(FILES packaging/io.github.hizli.hizli.metainfo.xml DESTINATION share/metainfo)
install(FILES packaging/debian/copyright DESTINATION share/doc/hizli)
install(FILES packaging/debian/hizli.lintian-overrides DESTINATION share/lintian/overrides
    RENAME hizli)

# Documents go in compressed, as Debian ships them; -n leaves the name and
# time out of the header, so the same source gives the same package bytes.
function(hizli_gzip source output)
    # Ninja makes an output's folder itself; Make does not.
    get_filename_component(folder ${output} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" gzip ${source} ${output}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# The package's version is the project's; a release that forgot its
# changelog entry would ship a changelog that names the one before.
set(hizli_changelog_source ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${hizli_changelog_source})
file(STRINGS ${hizli_changelog_source} hizli_changelog_top LIMIT_COUNT 1)
if(NOT hizli_changelog_top MATCHES "^hizli \\(([^)]*)\\) "
        OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/debian/changelog does not begin with version "
        "${PROJECT_VERSION}: ${hizli_changelog_top}")
endif()
set(hizli_changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
hizli_gzip(${hizli_changelog_source} ${hizli_changelog})
install(FILES ${hizli_changelog} DESTINATION share/doc/hizli)
set(hizli_docs ${hizli_changelog})

foreach(language IN ITEMS "" tr)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/packaging/man/${language}/hizli.1.gz)
    hizli_gzip(${CMAKE_CURRENT_SOURCE_DIR}/man/${language}/hizli.1 ${page})
    install(FILES ${page} DESTINATION share/man/${language}/man1)
    list(APPEND hizli_docs ${page})
endforeach()
add_custom_target(hizli-docs ALL DEPENDS ${hizli_docs})

# The entry's Exec names the program by its absolute path, known only once
# the prefix is: cmake --install --prefix chooses it at install time, and
# cpack installs with its own. So the entry is written at install time.
install(CODE "
set(hizli_desktop_template [[${CMAKE_CURRENT_SOURCE_DIR}/packaging/hizli.desktop.in]])
set(hizli_desktop_work [[${CMAKE_CURRENT_BINARY_DIR}/packaging/desktop]])
include([[${CMAKE_CURRENT_SOURCE_DIR}/cmake/HizliDesktopEntry.cmake]])
")

# cpack -G DEB
# Whoever builds a package for others puts their own address here:
#   cmake -DHIZLI_PACKAGE_MAINTAINER="Ad Soyad <ad@example.org>"
set(HIZLI_PACKAGE_MAINTAINER "Hızlı geliştiricileri <hizli@hizli.github.io>"
    CACHE STRING "Maintainer field of the Debian package: a name and an address mail reaches")
# Build trees configured before kept a localhost address, which mail never reaches.
if(HIZLI_PACKAGE_MAINTAINER STREQUAL "Hızlı geliştiricileri <hizli@localhost>")
    set_property(CACHE HIZLI_PACKAGE_MAINTAINER PROPERTY VALUE "Hızlı geliştiricileri <hizli@hizli.github.io>")
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hizli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${HIZLI_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tiny quick launcher for nine programs")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Hızlı is a small window near the lower left of the screen whose menu\n"
    "starts one of nine programs kept in a plain list; the list is edited in\n"
    "its settings window. One shortcut to Hızlı replaces nine on the panel.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt and C++ libraries come from dpkg-shlibdeps; the platform plugins
# that draw the windows, on X11 and on Wayland, are loaded at run time, so
# no linker sees them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
