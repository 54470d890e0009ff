# The directions between the source folders. Included by tests/CMakeLists.txt, this file
# registers the tests; run with `cmake -DROOT=<tree> -P layers.cmake` it is the checker: it reads
# every #include of ROOT/src and fails on one that goes against the allowed directions:
#
#   base        -> base
#   swfformat   -> swfformat, base
#   model, effects, swf (core; they meet inside core) -> core, base, swfformat
#   export      -> export, core, player, base, swfformat (the exporters play the movie)
#   player      -> player, base, swfformat (SWF bytes only: nothing of the document model)
#   player/host -> player, base, swfformat
#   editor      -> everything above
#
# and on a Qt header anywhere but in editor/ and the Qt host files player/host/Qt*.

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.22)
  set(core model effects swf)
  set(allowed_base base)
  set(allowed_swfformat swfformat base)
  set(allowed_model ${core} base swfformat)
  set(allowed_effects ${core} base swfformat)
  set(allowed_swf ${core} base swfformat)
  set(allowed_export export ${core} player base swfformat)
  set(allowed_player player base swfformat)
  set(allowed_editor editor export ${core} player base swfformat)

  file(GLOB_RECURSE sources RELATIVE "${ROOT}/src" "${ROOT}/src/*.h" "${ROOT}/src/*.cpp")
  set(count 0)
  foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(NOT DEFINED allowed_${folder})
      message("src/${source}: folder ${folder} has no place in the layers")
      math(EXPR count "${count} + 1")
      continue()
    endif()
    set(qt_allowed OFF)
    if(folder STREQUAL "editor" OR source MATCHES "^player/host/Qt")
      set(qt_allowed ON)
    endif()
    file(STRINGS "${ROOT}/src/${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/")
        set(target "${CMAKE_MATCH_1}")
        if(NOT target IN_LIST allowed_${folder})
          message("src/${source}: ${folder} may not include ${target}/ (${line})")
          math(EXPR count "${count} + 1")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)" AND NOT qt_allowed)
        message("src/${source}: Qt header outside the Qt code (${line})")
        math(EXPR count "${count} + 1")
      endif()
    endforeach()
  endforeach()
  if(count GREATER 0)
    message(FATAL_ERROR "${count} includes against the layers")
  endif()
  return()
endif()

add_test(NAME layers.directions
         COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -P ${CMAKE_CURRENT_LIST_FILE})
# The checker must catch each kind of fault: a tree with one of each (and one allowed Qt host
# file) must fail with exactly three.
add_test(NAME layers.checker_catches_faults
         COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_CURRENT_LIST_DIR}/data/layers
                 -P ${CMAKE_CURRENT_LIST_FILE})
set_tests_properties(layers.checker_catches_faults PROPERTIES
  PASS_REGULAR_EXPRESSION "[^0-9]3 includes against the layers")
