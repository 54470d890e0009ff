# Command-line tests of compressed movies (the checker and tavro_cli_test come from cli.cmake).
# tests/data/player/buttons-compressed.swf is buttons.swf beside it (the export of
# examples/buttons.swi) with everything after the header deflated ("CWS"). Run with `cmake -P`
# this file checks that the two give the same listing and the same pictures:
#
#   cmake -DCLI=<program> -DDATA=<tests/data/player> -DWORK=<dir> -P cli_compressed.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  include(${CMAKE_CURRENT_LIST_DIR}/../cmake/TavroCliChecks.cmake)
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  foreach(form plain compressed)
    if(form STREQUAL "plain")
      set(movie "${DATA}/buttons.swf")
    else()
      set(movie "${DATA}/buttons-compressed.swf")
    endif()
    run(0 "" info "${movie}")
    set(info_${form} "${last_stdout}")
    run(0 "" render "${movie}" --frame 2 -o "${WORK}/${form}-render.png")
    run(0 "" play "${movie}" --frames 3 --click 110,160@1 --snapshot "${WORK}/${form}-red.png")
    set(play_${form} "${last_stdout}")
    run(0 "" play "${movie}" --frames 1 --click 200,250@0)
    set(help_${form} "${last_stdout}")
  endforeach()
  if(NOT info_plain STREQUAL info_compressed)
    message(FATAL_ERROR "info differs:\n${info_plain}\n---\n${info_compressed}")
  endif()
  if(NOT help_plain STREQUAL help_compressed OR NOT help_plain MATCHES "GetURL")
    message(FATAL_ERROR "play differs:\n${help_plain}\n---\n${help_compressed}")
  endif()
  same("${WORK}/plain-render.png" "${WORK}/compressed-render.png")
  same("${WORK}/plain-red.png" "${WORK}/compressed-red.png")
  different("${WORK}/plain-render.png" "${WORK}/plain-red.png" "; the click changed nothing")
  return()
endif()

set(TAVRO_PLAYER_DATA ${CMAKE_CURRENT_LIST_DIR}/data/player)
add_test(NAME cli.compressed.same_as_uncompressed_twin
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tavro-cli> -DDATA=${TAVRO_PLAYER_DATA}
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/cli-compressed -P ${CMAKE_CURRENT_LIST_FILE})

# The tests of typing into a field: tests/data/player/field.swf (written by make_field_swf.py
# beside it) traces its field's variable on frame 2.
set(TAVRO_FIELD_SWF ${TAVRO_PLAYER_DATA}/field.swf)
tavro_cli_test(cli.play.type_and_keys
  "play|${TAVRO_FIELD_SWF}|--frames|2|--trace|--click|140,10@0|--type|hi@0|--key|Backspace@1|--type|o@1" 0
  STDOUT "\n2\ttrace\tabcho\n")
# On one frame the inputs come in the order given: a selection then typing replaces it...
tavro_cli_test(cli.play.keys_in_order
  "play|${TAVRO_FIELD_SWF}|--frames|2|--trace|--click|140,10@0|--key|Shift+Home@0|--type|Z@0" 0
  STDOUT "\n2\ttrace\tZ\n")
# ...and typing then a selection keeps both.
tavro_cli_test(cli.play.keys_in_order_reversed
  "play|${TAVRO_FIELD_SWF}|--frames|2|--trace|--click|140,10@0|--type|Z@0|--key|Shift+Home@0" 0
  STDOUT "\n2\ttrace\tabcZ\n")
# Without a click no field has the focus: nothing is typed.
tavro_cli_test(cli.play.type_without_focus
  "play|${TAVRO_FIELD_SWF}|--frames|2|--trace|--type|Z@0" 0 STDOUT "\n2\ttrace\tabc\n")
tavro_cli_test(cli.play.bad_key "play|${TAVRO_FIELD_SWF}|--frames|1|--key|Alt+Left@0" 1
  STDERR "--key Alt\\+Left@0: unknown key \"Alt\\+Left\"")
tavro_cli_test(cli.play.bad_type "play|${TAVRO_FIELD_SWF}|--frames|1|--type|abc" 1
  STDERR "--type abc: expected ...@FRAME")
