# Command-line tests of `tavro-cli render` (the checker and tavro_cli_test come from cli.cmake).
tavro_cli_test(cli.render.hello
  "render|${PROJECT_SOURCE_DIR}/examples/hello.swf|--frame|2|-o|${CMAKE_CURRENT_BINARY_DIR}/cli-render-hello.png" 0)
tavro_cli_test(cli.render.sized
  "render|${PROJECT_SOURCE_DIR}/examples/hello.swf|--frame|0|--width|55|--height|40|--quality|low|-o|${CMAKE_CURRENT_BINARY_DIR}/cli-render-small.png" 0)
tavro_cli_test(cli.render.missing
  "render|${TAVRO_SWF_DATA}/no-such-file.swf|--frame|0|-o|${CMAKE_CURRENT_BINARY_DIR}/cli-render-missing.png" 1
  STDERR "no-such-file.swf")
tavro_cli_test(cli.render.document
  "render|${PROJECT_SOURCE_DIR}/examples/hello.json|--frame|0|-o|${CMAKE_CURRENT_BINARY_DIR}/cli-render-document.png" 0)
