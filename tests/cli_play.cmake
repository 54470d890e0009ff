# Command-line tests of `tavro-cli play` (the checker and tavro_cli_test come from cli.cmake).
# tests/actions/data/actions.swf is written by make_actions_swf.py beside it.
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
