# SPDX-License-Identifier: MIT
# Checks that every C++ source of ours is laid out as .clang-format says:
#   cmake -DKR_ROOT=<source tree> -DKR_CLANG_FORMAT=<clang-format> -P cmake/CheckFormat.cmake
# Test fixtures (generated firmware compared byte for byte) and fuzz inputs
# are data, not read. Run clang-format -i on the files named to fix them.
# With -DKR_PLANT_FAULT_FROM=<source tree>, KR_ROOT is first made a tree of
# that tree's .clang-format and one source laid out otherwise, so the check
# can be seen to fail.

if(KR_PLANT_FAULT_FROM)
  file(REMOVE_RECURSE "${KR_ROOT}")
  file(MAKE_DIRECTORY "${KR_ROOT}/platform")
  file(COPY_FILE "${KR_PLANT_FAULT_FROM}/.clang-format" "${KR_ROOT}/.clang-format")
  file(WRITE "${KR_ROOT}/platform/Laidout.cpp" "int Laidout()\n{\n    return 1;\n}\n")
  file(WRITE "${KR_ROOT}/platform/Unformatted.cpp" "int  Unformatted( ){return 1;}\n")
endif()

set(globs)
foreach(folder platform model settings templating hid generator firmware simulation batch cli ui tests bench fuzz cmake)
  list(APPEND globs "${KR_ROOT}/${folder}/*.cpp" "${KR_ROOT}/${folder}/*.h")
endforeach()
file(GLOB_RECURSE sources RELATIVE "${KR_ROOT}" ${globs})
list(FILTER sources EXCLUDE REGEX "^(tests/fixtures|fuzz/regressions)/")
list(SORT sources)

execute_process(
  COMMAND "${KR_CLANG_FORMAT}" --dry-run --Werror ${sources}
  WORKING_DIRECTORY "${KR_ROOT}"
  RESULT_VARIABLE result
  ERROR_VARIABLE errors)
list(LENGTH sources count)
if(NOT result EQUAL 0)
  # One line per file that needs formatting, then the first differences.
  string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted[^\n]*" lines "${errors}")
  set(files)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ":[0-9]+:[0-9]+: error:.*" "" file "${line}")
    list(APPEND files "${file}")
  endforeach()
  list(REMOVE_DUPLICATES files)
  list(JOIN files "\n" text)
  message(FATAL_ERROR "Not formatted as .clang-format says (clang-format -i FILE):\n${text}")
endif()
message(STATUS "${count} C++ sources are formatted")
