# SPDX-License-Identifier: MIT
# Checks that every #include of the program's sources points down the layers:
#   cmake -DKR_ROOT=<source tree> -P cmake/CheckLayers.cmake
# A folder may include its own files and those of folders of a lower rank;
# folders of the same rank stay apart (cli/ and ui/ know nothing of each
# other). The core, every folder below cli/ and ui/, includes no Qt. Each
# offending line is reported as file:line, and the script fails if there is
# any. tests/, bench/ and fuzz/ may include anything and are not read.

if(NOT KR_ROOT)
  message(FATAL_ERROR "KR_ROOT must name the source tree to check")
endif()

# Folder and rank, bottom to top.
set(KR_LAYERS
  platform 0
  model 1
  settings 2
  templating 2
  hid 2
  generator 3
  firmware 3
  simulation 4
  batch 4
  cli 5
  ui 5)
# Folders that make up the core and so must stay free of Qt.
set(KR_CORE_FOLDERS platform model settings templating hid generator firmware simulation batch)

set(folders)
list(LENGTH KR_LAYERS count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET KR_LAYERS ${i} folder)
  list(GET KR_LAYERS ${j} rank)
  set(rank_${folder} ${rank})
  list(APPEND folders ${folder})
endforeach()

# Qt's headers (<QWidget>, <QtCore/qglobal.h>, <qglobal.h>) and the files Qt's
# tools generate (ui_*.h, moc_*, *.moc).
set(qt_pattern "^(Q[A-Za-z0-9_]*(/.*)?|q[a-z0-9_]+\\.h|(.*/)?ui_[^/]*\\.h|(.*/)?moc_[^/]*|.*\\.moc)$")

set(problems)
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY "${KR_ROOT}/${folder}")
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE "${KR_ROOT}" "${KR_ROOT}/${folder}/*.h" "${KR_ROOT}/${folder}/*.cpp")
  list(SORT sources)
  list(FIND KR_CORE_FOLDERS ${folder} core_index)
  foreach(source IN LISTS sources)
    # One list element per line: characters that CMake lists treat specially
    # are masked first, so that every line number stays right.
    file(READ "${KR_ROOT}/${source}" content)
    string(REPLACE "\\" "<bs>" content "${content}")
    string(REPLACE ";" "<sc>" content "${content}")
    string(REPLACE "[" "<lb>" content "${content}")
    string(REPLACE "]" "<rb>" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(line_number 0)
    foreach(line IN LISTS lines)
      math(EXPR line_number "${line_number} + 1")
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
        continue()
      endif()
      set(header "${CMAKE_MATCH_2}")
      set(where "${source}:${line_number}")
      if(core_index GREATER -1 AND header MATCHES "${qt_pattern}")
        list(APPEND problems "${where}: the core folder ${folder}/ includes Qt (${header})")
        continue()
      endif()
      if(header MATCHES "^\\.\\./|/\\.\\./")
        list(APPEND problems "${where}: ${header} leaves its folder by .., but includes name their folder from the source root")
        continue()
      endif()
      if(NOT header MATCHES "^([^/]+)/")
        continue()
      endif()
      set(target "${CMAKE_MATCH_1}")
      if(NOT DEFINED rank_${target} OR target STREQUAL folder)
        continue()
      endif()
      if(NOT rank_${target} LESS rank_${folder})
        list(APPEND problems
          "${where}: ${folder}/ (rank ${rank_${folder}}) includes ${header} from ${target}/ (rank ${rank_${target}}), but includes must point to a lower rank")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  foreach(problem IN LISTS problems)
    message(NOTICE "${problem}")
  endforeach()
  list(LENGTH problems problem_count)
  message(FATAL_ERROR "${problem_count} include(s) break the layers")
endif()
message(STATUS "Every include points down the layers")
