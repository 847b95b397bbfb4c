# SPDX-License-Identifier: MIT
# Debian packages, made by `cmake --build build --target package`:
#   kr761x-cli     the command-line programs (every program installed from
#                  cli/), their manual pages and shell completion; no Qt
#   kr761x-wizard  the desktop wizard, its manual page, menu entry, icon,
#                  save-file type and AppStream metadata; depends on the first
# Each install() names its component (cli or gui); the version is the
# project's. Dependencies on shared libraries are read from the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kr761x)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KR761x Configuration Wizard developers <kr761x-wizard@localhost>"
    CACHE STRING "Maintainer named in the Debian packages")
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

include(CPack)
