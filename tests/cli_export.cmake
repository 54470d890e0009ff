# Command-line tests of tavro-cli export and convert on the sample movie in examples/. Included by
# tests/CMakeLists.txt, this file registers CTest tests; run with `cmake -P` it is the checker:
#
#   cmake -DCLI=<program> -DEXAMPLES=<dir> -DWORK=<dir> -DCASE=<case> -P cli_export.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  include(${CMAKE_CURRENT_LIST_DIR}/../cmake/TavroCliChecks.cmake)

  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  if(CASE STREQUAL "export")
    run(0 "" export "${EXAMPLES}/hello.swi" -o "${WORK}/from-swi.swf")
    run(0 "" export "${EXAMPLES}/hello.json" -o "${WORK}/from-json.swf")
    same("${WORK}/from-swi.swf" "${WORK}/from-json.swf")
    file(READ "${WORK}/from-swi.swf" head LIMIT 4 HEX)
    if(NOT head STREQUAL "46575303")
      message(FATAL_ERROR "not an SWF 3 file: ${head}")
    endif()
  elseif(CASE STREQUAL "roundtrip")
    run(0 "" convert "${EXAMPLES}/hello.swi" -o "${WORK}/hello.json")
    same("${WORK}/hello.json" "${EXAMPLES}/hello.json")
    run(0 "" convert "${WORK}/hello.json" -o "${WORK}/hello.SWI")
    same("${WORK}/hello.SWI" "${EXAMPLES}/hello.swi")
  elseif(CASE STREQUAL "errors")
    file(WRITE "${WORK}/cut.json" "{\n  \"format\": ")
    file(WRITE "${WORK}/wrong.json" "{\"format\": \"tavro-movie\", \"formatVersion\": 1, \"document\": {\"CTavroObj\": {\"version\": 0}, \"CDocObj\": {\"version\": 0, \"width\": 1}}}")
    # The first 100 bytes of the movie: the archive ends inside the first scene.
    execute_process(COMMAND head -c 100 "${EXAMPLES}/hello.swi" OUTPUT_FILE "${WORK}/cut.swi")
    run(1 "^tavro-cli: [^\n]*missing.swi: cannot open the file" export "${WORK}/missing.swi" -o "${WORK}/x.swf")
    run(1 "x.txt: not a movie document name" convert "${EXAMPLES}/hello.swi" -o "${WORK}/x.txt")
    run(1 "movie.swf: not a movie document name" export "${WORK}/movie.swf" -o "${WORK}/x.swf")
    run(1 "cut.json: not valid JSON: parse error at line 2" export "${WORK}/cut.json" -o "${WORK}/x.swf")
    run(1 "wrong.json: /document/CDocObj/width: not part of version 0" convert "${WORK}/wrong.json" -o "${WORK}/x.swi")
    run(1 "cut.swi: not a readable movie document \\(end of file" convert "${WORK}/cut.swi" -o "${WORK}/x.json")
    run(1 "no-dir/x.swf: cannot write the file" export "${EXAMPLES}/hello.json" -o "${WORK}/no-dir/x.swf")
    run(1 "no-dir/x.json: cannot write the file" convert "${EXAMPLES}/hello.swi" -o "${WORK}/no-dir/x.json")
    if(EXISTS "${WORK}/x.swf" OR EXISTS "${WORK}/x.swi" OR EXISTS "${WORK}/x.json")
      message(FATAL_ERROR "a failed command left an output file")
    endif()
  elseif(CASE STREQUAL "help")
    run(0 "" export --help)
    if(NOT last_stdout MATCHES "MOVIE" OR NOT last_stdout MATCHES "--output")
      message(FATAL_ERROR "export --help:\n${last_stdout}")
    endif()
    run(0 "" convert --help)
    if(NOT last_stdout MATCHES "IN" OR NOT last_stdout MATCHES "\\.json")
      message(FATAL_ERROR "convert --help:\n${last_stdout}")
    endif()
  else()
    message(FATAL_ERROR "unknown case ${CASE}")
  endif()
  file(REMOVE_RECURSE "${WORK}")
  return()
endif()

foreach(case export roundtrip errors help)
  add_test(NAME cli.export_convert.${case}
           COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tavro-cli>
                   -DEXAMPLES=${PROJECT_SOURCE_DIR}/examples
                   -DWORK=${PROJECT_BINARY_DIR}/cli-export/${case} -DCASE=${case}
                   -P ${CMAKE_CURRENT_LIST_FILE})
endforeach()
