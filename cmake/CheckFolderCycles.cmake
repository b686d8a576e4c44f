# Fails when two folders of the plug-in include each other, directly or through others: a folder
# is a subsystem, and subsystems depend one way only. Run by CTest:
#   cmake -DPLUGIN_DIR=<source>/plugin -P CheckFolderCycles.cmake
#
# A folder is a top-level directory of plugin/ (its subfolders belong to it). An edge A -> B is
# an `#include "B/..."` in a source or header under A. Every pair of folders that reach each
# other is reported with the includes that make each direction, unless that exact edge is listed
# in the allowance below.
cmake_minimum_required(VERSION 3.20)

if(NOT PLUGIN_DIR OR NOT IS_DIRECTORY "${PLUGIN_DIR}")
  message(FATAL_ERROR "CheckFolderCycles: PLUGIN_DIR is not a directory: '${PLUGIN_DIR}'")
endif()

# Edges that are known and being removed, as "from->to", each with a comment naming the change
# that removes it. Keep this empty.
set(PENDING_REMOVAL)

file(GLOB children RELATIVE "${PLUGIN_DIR}" "${PLUGIN_DIR}/*")
set(folders "")
foreach(child IN LISTS children)
  if(IS_DIRECTORY "${PLUGIN_DIR}/${child}")
    list(APPEND folders "${child}")
  endif()
endforeach()
if(NOT folders)
  message(FATAL_ERROR "CheckFolderCycles: no folders under ${PLUGIN_DIR}")
endif()

# Direct edges: edges_<A> lists the folders A includes; where_<A>_<B> one file that does.
foreach(from IN LISTS folders)
  set(edges_${from} "")
  file(GLOB_RECURSE files "${PLUGIN_DIR}/${from}/*.h" "${PLUGIN_DIR}/${from}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[A-Za-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([A-Za-z0-9_]+)/.*$" "\\1" to "${line}")
      if(to STREQUAL from OR NOT to IN_LIST folders OR "${from}->${to}" IN_LIST PENDING_REMOVAL)
        continue()
      endif()
      if(NOT to IN_LIST edges_${from})
        list(APPEND edges_${from} "${to}")
        file(RELATIVE_PATH rel "${PLUGIN_DIR}" "${file}")
        set(where_${from}_${to} "${rel}")
      endif()
    endforeach()
  endforeach()
endforeach()

# Reachability by repeated widening; the graph has a dozen nodes.
foreach(from IN LISTS folders)
  set(reach_${from} ${edges_${from}})
  set(frontier ${edges_${from}})
  while(frontier)
    list(POP_FRONT frontier node)
    foreach(next IN LISTS edges_${node})
      if(NOT next IN_LIST reach_${from})
        list(APPEND reach_${from} "${next}")
        list(APPEND frontier "${next}")
      endif()
    endforeach()
  endwhile()
endforeach()

set(report "")
foreach(a IN LISTS folders)
  foreach(b IN LISTS reach_${a})
    if(a STRLESS b AND a IN_LIST reach_${b})
      set(line "  ${a} <-> ${b}:")
      foreach(pair "${a};${b}" "${b};${a}")
        list(GET pair 0 x)
        list(GET pair 1 y)
        if(DEFINED where_${x}_${y})
          string(APPEND line " ${where_${x}_${y}} includes ${y}/;")
        else()
          string(APPEND line " ${x} reaches ${y} through other folders;")
        endif()
      endforeach()
      string(APPEND report "${line}\n")
    endif()
  endforeach()
endforeach()

if(report)
  message(FATAL_ERROR "Plug-in folders that include each other:\n${report}")
endif()
list(LENGTH folders count)
message(STATUS "No include cycle between the ${count} plug-in folders")
