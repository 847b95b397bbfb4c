# SPDX-License-Identifier: MIT
# kr_embed_resources(<target> TYPE NUMBER FILE [TYPE NUMBER FILE ...])
#
# Builds an object library <target> that defines the resource table the core
# looks resources up in (platform/Resources.h). Each file is compiled in byte
# for byte, so line ends and 8-bit text survive exactly as stored.
function(kr_embed_resources target)
  set(args ${ARGN})
  list(LENGTH args count)
  math(EXPR rem "${count} % 3")
  if(NOT rem EQUAL 0)
    message(FATAL_ERROR "kr_embed_resources: expected TYPE NUMBER FILE triples")
  endif()
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  set(table_cpp ${out_dir}/resource_table.cpp)
  set(list_file ${out_dir}/resources.txt)
  set(listing "")
  set(depends "")
  set(i 0)
  while(i LESS count)
    math(EXPR j "${i} + 1")
    math(EXPR k "${i} + 2")
    list(GET args ${i} type)
    list(GET args ${j} number)
    list(GET args ${k} file)
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
    string(APPEND listing "${type}|${number}|${file}\n")
    list(APPEND depends ${file})
    math(EXPR i "${i} + 3")
  endwhile()
  file(MAKE_DIRECTORY ${out_dir})
  file(WRITE ${list_file}.in "${listing}")
  configure_file(${list_file}.in ${list_file} COPYONLY)
  add_custom_command(
    OUTPUT ${table_cpp}
    COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DOUT=${table_cpp}
            -P ${CMAKE_SOURCE_DIR}/cmake/GenerateResourceTable.cmake
    DEPENDS ${list_file} ${depends} ${CMAKE_SOURCE_DIR}/cmake/GenerateResourceTable.cmake
    COMMENT "Embedding resources for ${target}"
    VERBATIM)
  add_library(${target} OBJECT ${table_cpp})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()
