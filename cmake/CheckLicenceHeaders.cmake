# SPDX-License-Identifier: MIT
# Checks that every source file of ours states its licence in its first
# lines, and that no firmware template does (what the wizard generates is the
# user's and carries no licence of ours):
#   cmake -DKR_ROOT=<source tree> -P cmake/CheckLicenceHeaders.cmake
# Test fixtures and fuzz inputs are data, not read.

set(tag "SPDX-License-Identifier: MIT")
set(patterns CMakeLists.txt *.cmake *.cpp *.h *.h.in *.sh *.bash *.1.in)
set(globs "${KR_ROOT}/CMakeLists.txt" "${KR_ROOT}/.ci/run")
foreach(folder platform model settings templating hid generator firmware simulation batch cli ui tests bench fuzz cmake scripts)
  foreach(pattern IN LISTS patterns)
    list(APPEND globs "${KR_ROOT}/${folder}/${pattern}")
  endforeach()
endforeach()
file(GLOB_RECURSE sources RELATIVE "${KR_ROOT}" ${globs})
list(FILTER sources EXCLUDE REGEX "^(tests/fixtures|fuzz/regressions)/")
file(GLOB templates RELATIVE "${KR_ROOT}" "${KR_ROOT}/generator/templates/*.tmpl")

set(problems)
foreach(file IN LISTS sources templates)
  file(STRINGS "${KR_ROOT}/${file}" head LIMIT_COUNT 3)
  string(FIND "${head}" "${tag}" at)
  if(file MATCHES "\\.tmpl$" AND NOT at EQUAL -1)
    list(APPEND problems "${file}: a template must not carry our licence into generated files")
  elseif(NOT file MATCHES "\\.tmpl$" AND at EQUAL -1)
    list(APPEND problems "${file}: no \"${tag}\" in its first lines")
  endif()
endforeach()
list(LENGTH sources count)
if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "${count} source files state their licence; no template does")
