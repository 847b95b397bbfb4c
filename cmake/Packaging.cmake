# SPDX-License-Identifier: MIT
# Debian packages, made by `cmake --build build --target package`:
#   kr761x-cli     the command-line programs (every program installed from
#                  cli/), their manual pages and shell completion; no Qt
#   kr761x-wizard  the desktop wizard, its manual page, menu entry, icon,
#                  save-file type and AppStream metadata; depends on the first
# Each install() names its component (cli or gui); the version is the
# project's. Dependencies on shared libraries are read from the binaries.
# Each package carries in /usr/share/doc/<package>/ the copyright file, made
# from LICENSE, and the changelog, made from CHANGELOG.md (Changelog.cmake);
# lintian's overrides, one reason per override, are cmake/lintian/<package>.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KR_DEBIAN_SOURCE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KR_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KR_PACKAGE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SOURCE ${KR_DEBIAN_SOURCE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli gui)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME kr761x-cli)
set(CPACK_COMPONENT_CLI_DISPLAY_NAME "KR761x command-line tools")
set(CPACK_COMPONENT_CLI_DESCRIPTION [[
KR761x firmware project generator, command line
kr761x-gen generates 8051 firmware projects (Keil, Raisonance or SDCC) for
KR7610 and KR7611 USB HID touch-screen controllers from the save files of
the KR761x Configuration Wizard, one file or a folder of them at a time, for
build scripts and build servers. It needs no display and no Qt.]])
# The generated SDCC projects are built with sdcc.
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS sdcc)

set(CPACK_DEBIAN_GUI_PACKAGE_NAME kr761x-wizard)
set(CPACK_COMPONENT_GUI_DISPLAY_NAME "KR761x Configuration Wizard")
set(CPACK_COMPONENT_GUI_DEPENDS cli)
set(CPACK_COMPONENT_GUI_DESCRIPTION [[
KR761x Configuration Wizard, desktop program
Describe a product built on a KR7610 or KR7611 USB HID touch-screen
controller (USB identity and power, inter-chip bus, GPIO, mouse, touch and
pen reports, screen size) and generate its 8051 firmware project. Save files
(.kcw) open in the wizard from the file manager.]])
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS sdcc)

# The copyright file in the machine-readable format, naming the project's
# licence for every file the packages ship; the holder and the text are
# LICENSE's own.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE kr_licence)
if(NOT kr_licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n+(.+[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no \"Copyright (c) ...\" line followed by the licence text")
endif()
set(kr_holder "${CMAKE_MATCH_1}")
# Each line indented by one space, a blank line written " .".
string(REPLACE "\n\n" "\n.\n" kr_licence_text "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " kr_licence_text " ${kr_licence_text}\n")
file(WRITE ${CMAKE_BINARY_DIR}/debian/copyright.new
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: KR761x Configuration Wizard
Upstream-Contact: ${KR_PACKAGE_MAINTAINER}
Source: ${KR_PACKAGE_HOMEPAGE}

Files: *
Copyright: ${kr_holder}
License: ${KR_LICENCE}

License: ${KR_LICENCE}
${kr_licence_text}")
file(COPY_FILE ${CMAKE_BINARY_DIR}/debian/copyright.new ${CMAKE_BINARY_DIR}/debian/copyright ONLY_IF_DIFFERENT)
file(REMOVE ${CMAKE_BINARY_DIR}/debian/copyright.new)

# The changelog, compressed as Debian keeps it (-n: the same bytes each time).
find_program(KR_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND ${KR_GZIP} -9 -n -c ${CMAKE_BINARY_DIR}/debian/changelog > ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
  COMMENT "Compressing the Debian changelog" VERBATIM)
add_custom_target(kr761x_debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)

foreach(component IN ITEMS cli gui)
  string(TOUPPER ${component} upper)
  set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/lintian/${package})
    install(FILES ${CMAKE_SOURCE_DIR}/cmake/lintian/${package}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${component})
  endif()
endforeach()

include(CPack)
