# Command-line tests of `tavro-cli play` (the checker and tavro_cli_test come from cli.cmake).
# tests/actions/data/actions.swf is written by make_actions_swf.py beside it. Run with `cmake -P`
# this file checks the pictures of --snapshot on examples/buttons.json:
#
#   cmake -DCLI=<program> -DMOVIE=<examples/buttons.json> -DWORK=<dir> -P cli_play.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  include(${CMAKE_CURRENT_LIST_DIR}/../cmake/TavroCliChecks.cmake)
  function(play out)
    run(0 "" play "${MOVIE}" ${ARGN} --snapshot "${WORK}/${out}.png")
  endfunction()
  function(expect_same a b)
    same("${WORK}/${a}.png" "${WORK}/${b}.png" "; they should show the same frame")
  endfunction()
  function(expect_different a b)
    different("${WORK}/${a}.png" "${WORK}/${b}.png" "; the clicks changed nothing")
  endfunction()
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")

  # A PNG of the stage's size, 400 x 300: signature, IHDR length and name, width, height.
  play(menu --frames 2)
  file(READ "${WORK}/menu.png" header LIMIT 24 HEX)
  if(NOT header STREQUAL "89504e470d0a1a0a0000000d49484452000001900000012c")
    message(FATAL_ERROR "menu.png does not start as a 400 x 300 PNG: ${header}")
  endif()
  # Without clicks the movie rests on its first frame, which render shows as well.
  execute_process(COMMAND "${CLI}" render "${MOVIE}" --frame 0 -o "${WORK}/rendered.png"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tavro-cli render: exit status ${rc}")
  endif()
  expect_same(menu rendered)
  play(menu_zero --frames 0)
  expect_same(menu menu_zero)
  # Red and Blue go to frames of their own; clicks beside every button change nothing.
  play(red --frames 3 --click 110,160@1)
  play(blue --frames 3 --click 290,160@1)
  play(missed --frames 3 --click 20,280@1 --click 200,20@2)
  expect_different(red menu)
  expect_different(blue menu)
  expect_different(red blue)
  expect_same(missed menu)
  # The picture is taken after the clicks of the last frame: a click on frame 3 is shown.
  play(red_last --frames 3 --click 110,160@3)
  expect_same(red_last red)
  # Back (stop there) and Next (play on to the Blue frame, which stops) and Blue's Back (go to
  # and play the first frame, whose own Stop holds it).
  play(red_back --frames 5 --click 110,160@1 --click 110,230@3)
  play(red_next --frames 5 --click 110,160@1 --click 290,230@3)
  play(blue_back --frames 5 --click 290,160@1 --click 200,230@3)
  expect_same(red_back menu)
  expect_same(red_next blue)
  expect_same(blue_back menu)
  return()
endif()

set(TAVRO_ACTIONS_SWF ${CMAKE_CURRENT_LIST_DIR}/actions/data/actions.swf)

tavro_cli_test(cli.play.requests "play|${TAVRO_ACTIONS_SWF}|--frames|5" 0
  STDOUT "^0\tFSCommand\tshowmenu\tfalse\n0\tGetURL\thttp://example.org/\t_blank\n2\tFSCommand\tquit\n$")
tavro_cli_test(cli.play.trace "play|${TAVRO_ACTIONS_SWF}|--frames|1|--trace" 0
  STDOUT "0\ttrace\thello\n|||0\tdiagnostic\tGetURL:http://example.org/ target:_blank")
tavro_cli_test(cli.play.click "play|${TAVRO_ACTIONS_SWF}|--frames|1|--click|25,25@1|--click|80,80@0" 0
  STDOUT "\n1\tFSCommand\tclicked\tyes\n$")
tavro_cli_test(cli.play.audio
  "play|${PROJECT_SOURCE_DIR}/examples/hello.json|--frames|3|--audio|${CMAKE_CURRENT_BINARY_DIR}/cli-play-hello.wav" 0)
tavro_cli_test(cli.play.bad_click "play|${TAVRO_ACTIONS_SWF}|--frames|1|--click|25,25" 1
  STDERR "--click 25,25: expected X,Y@FRAME")
tavro_cli_test(cli.play.missing "play|${TAVRO_SWF_DATA}/no-such-file.swf|--frames|1" 1
  STDERR "no-such-file.swf: cannot open the file")
tavro_cli_test(cli.play.not_swf "play|${CMAKE_CURRENT_LIST_DIR}/actions/data/make_actions_swf.py|--frames|1" 1
  STDERR "not a playable SWF movie")

# --snapshot: the picture shown after the clicks (see the script part above).
set(TAVRO_BUTTONS_JSON ${PROJECT_SOURCE_DIR}/examples/buttons.json)
add_test(NAME cli.play.snapshot
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tavro-cli> -DMOVIE=${TAVRO_BUTTONS_JSON}
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/cli-play-snapshot -P ${CMAKE_CURRENT_LIST_FILE})
tavro_cli_test(cli.play.snapshot_unwritable
  "play|${TAVRO_BUTTONS_JSON}|--frames|1|--snapshot|${CMAKE_CURRENT_BINARY_DIR}/no-such-folder/x.png" 1
  STDERR "no-such-folder/x.png: ")
# The Help button of examples/buttons.json asks for https://example.org/help?from=menu in a new
# window (_blank); its request belongs to the frame it was clicked on. After Red goes to the next
# frame, a click where Help was asks for nothing, and neither does a click beside every button.
tavro_cli_test(cli.play.button_geturl
  "play|${TAVRO_BUTTONS_JSON}|--frames|4|--click|200,250@1|--click|20,280@1|--click|110,160@2|--click|200,250@3" 0
  STDOUT "^1\tGetURL\thttps://example.org/help\\?from=menu\t_blank\n$")
