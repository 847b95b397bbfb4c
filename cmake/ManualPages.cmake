# SPDX-License-Identifier: MIT
# kr_install_manual(<program> COMPONENT <component>)
#
# Builds the manual page of <program> from man/<program>.1.in beside the
# calling CMakeLists.txt (man(7) source in which the build fills in
# @PROJECT_VERSION@) and installs it, compressed, to section 1 with the
# program's component. The built pages are listed in the global property
# KR_MANUAL_PAGES as <program>=<page>, for the tests.
function(kr_install_manual program)
  cmake_parse_arguments(ARG "" "COMPONENT" "" ${ARGN})
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/man/${program}.1.in)
  if(NOT EXISTS ${source})
    message(WARNING "${program} is installed without a manual page: write ${source}")
    return()
  endif()
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
  configure_file(${source} ${page} @ONLY)
  set_property(GLOBAL APPEND PROPERTY KR_MANUAL_PAGES "${program}=${page}")
  # Installed compressed, as Debian keeps its manual pages; -n leaves the
  # name and time out, so the same page always gives the same bytes.
  find_program(KR_GZIP gzip REQUIRED)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${KR_GZIP} -9 -n -c ${page} > ${page}.gz
    DEPENDS ${page} ${source}
    COMMENT "Compressing the manual page of ${program}" VERBATIM)
  add_custom_target(${program}_manual ALL DEPENDS ${page}.gz)
  include(GNUInstallDirs)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${ARG_COMPONENT})
endfunction()
