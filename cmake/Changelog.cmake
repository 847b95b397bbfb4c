# SPDX-License-Identifier: MIT
# The release history, read from CHANGELOG.md when the build is configured:
# each version is a heading "## VERSION (YYYY-MM-DD)" followed by a list
# ("- " starts an item, lines indented by two spaces continue it). Gives
#   ${CMAKE_BINARY_DIR}/debian/changelog  the Debian changelog of the packages
#                                          (source package KR_DEBIAN_SOURCE,
#                                          signed by KR_PACKAGE_MAINTAINER)
#   KR_APPSTREAM_RELEASES                  the <release> elements of the
#                                          AppStream metadata
# and refuses a file whose newest entry is not the version of project(), so
# no version is packaged without its entry.

# The Debian source package that both packages come from.
set(KR_DEBIAN_SOURCE kr761x)
set(kr_changelog ${CMAKE_SOURCE_DIR}/CHANGELOG.md)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kr_changelog})

# "Tue, 08 Dec 2026 12:00:00 +0000" for 2026-12-08, as a Debian changelog
# dates an entry (the weekday by Zeller's congruence).
function(kr_changelog_date iso out)
  string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" _ "${iso}")
  math(EXPR y "${CMAKE_MATCH_1}")
  math(EXPR m "${CMAKE_MATCH_2}")
  math(EXPR d "${CMAKE_MATCH_3}")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR mi "${m} - 1")
  list(GET months ${mi} month)
  if(m LESS 3)
    math(EXPR m "${m} + 12")
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR h "(${d} + 13 * (${m} + 1) / 5 + ${y} + ${y} / 4 - ${y} / 100 + ${y} / 400) % 7")
  set(days Sat Sun Mon Tue Wed Thu Fri)
  list(GET days ${h} day)
  set(${out} "${day}, ${CMAKE_MATCH_3} ${month} ${CMAKE_MATCH_1} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

# Line by line without CMake lists, so ';' and brackets in the text stay.
file(READ ${kr_changelog} kr_text)
set(kr_debian "")
set(kr_releases "")
set(kr_version "")
set(kr_newest "")
set(kr_item "")
string(APPEND kr_text "\n## end (0000-00-00)\n")
while(NOT kr_text STREQUAL "")
  string(FIND "${kr_text}" "\n" kr_end)
  string(SUBSTRING "${kr_text}" 0 ${kr_end} kr_line)
  math(EXPR kr_end "${kr_end} + 1")
  string(SUBSTRING "${kr_text}" ${kr_end} -1 kr_text)

  # An item ends at the next item, heading or blank line.
  if(NOT kr_item STREQUAL "" AND NOT kr_line MATCHES "^  [^ ]")
    string(REPLACE "&" "&amp;" kr_item "${kr_item}")
    string(REPLACE "<" "&lt;" kr_item "${kr_item}")
    string(REPLACE ">" "&gt;" kr_item "${kr_item}")
    string(APPEND kr_releases "          <li>${kr_item}</li>\n")
    set(kr_item "")
  endif()

  if(kr_line MATCHES "^## ([^ ]+) \\(([0-9-]+)\\)$")
    if(NOT kr_version STREQUAL "")
      string(APPEND kr_debian "\n -- ${KR_PACKAGE_MAINTAINER}  ${kr_date}\n")
      string(APPEND kr_releases "        </ul>\n      </description>\n    </release>\n")
    endif()
    set(kr_version ${CMAKE_MATCH_1})
    if(kr_version STREQUAL "end")
      break()
    endif()
    if(kr_newest STREQUAL "")
      set(kr_newest ${kr_version})
    else()
      string(APPEND kr_debian "\n")
    endif()
    kr_changelog_date(${CMAKE_MATCH_2} kr_date)
    string(APPEND kr_debian "${KR_DEBIAN_SOURCE} (${kr_version}) unstable; urgency=medium\n\n")
    string(APPEND kr_releases "    <release version=\"${kr_version}\" date=\"${CMAKE_MATCH_2}\">\n"
                              "      <description>\n        <ul>\n")
  elseif(kr_line MATCHES "^- (.*)$" AND NOT kr_version STREQUAL "")
    string(REPLACE "`" "" kr_words "${CMAKE_MATCH_1}")
    string(APPEND kr_debian "  * ${kr_words}\n")
    set(kr_item "${kr_words}")
  elseif(kr_line MATCHES "^  ([^ ].*)$" AND NOT kr_item STREQUAL "")
    string(REPLACE "`" "" kr_words "${CMAKE_MATCH_1}")
    string(APPEND kr_debian "    ${kr_words}\n")
    string(APPEND kr_item " ${kr_words}")
  elseif(kr_line MATCHES "^## ")
    message(FATAL_ERROR "CHANGELOG.md: a version heading is \"## VERSION (YYYY-MM-DD)\", not \"${kr_line}\"")
  endif()
endwhile()

if(NOT kr_newest STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md: the newest entry is for version \"${kr_newest}\", "
                      "but project() says ${PROJECT_VERSION}; add an entry for it")
endif()
set(KR_APPSTREAM_RELEASES "${kr_releases}")
file(WRITE ${CMAKE_BINARY_DIR}/debian/changelog.new "${kr_debian}")
file(COPY_FILE ${CMAKE_BINARY_DIR}/debian/changelog.new ${CMAKE_BINARY_DIR}/debian/changelog ONLY_IF_DIFFERENT)
file(REMOVE ${CMAKE_BINARY_DIR}/debian/changelog.new)
