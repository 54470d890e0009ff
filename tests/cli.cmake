# Command-line tests of tavro-cli. Included by tests/CMakeLists.txt, this file registers CTest
# tests; run with `cmake -P` it is also the checker those tests use:
#
#   cmake -DCLI=<program> -DCLI_ARGS=<arg|arg|...> -DEXPECT_RC=<status>
#         [-DEXPECT_STDOUT=<regex>] [-DEXPECT_STDERR=<regex>] -P cli.cmake
#
# The checker runs the program and fails unless the exit status is the expected one and each
# given regular expression matches its stream (a regex may list several, separated by "|||").

if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "|" ";" args "${CLI_ARGS}")
  execute_process(COMMAND "${CLI}" ${args}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(failed "")
  if(NOT "${rc}" STREQUAL "${EXPECT_RC}")
    string(APPEND failed "exit status ${rc}, expected ${EXPECT_RC}\n")
  endif()
  foreach(stream stdout stderr)
    string(TOUPPER "${stream}" upper)
    if(stream STREQUAL "stdout")
      set(text "${out}")
    else()
      set(text "${err}")
    endif()
    if(DEFINED EXPECT_${upper})
      string(REPLACE "|||" ";" patterns "${EXPECT_${upper}}")
      foreach(pattern IN LISTS patterns)
        if(NOT text MATCHES "${pattern}")
          string(APPEND failed "${stream} does not match: ${pattern}\n")
        endif()
      endforeach()
    endif()
  endforeach()
  if(failed)
    message(FATAL_ERROR "${failed}--- stdout:\n${out}--- stderr:\n${err}")
  endif()
  return()
endif()

set(TAVRO_CLI_CHECK ${CMAKE_CURRENT_LIST_FILE})
set(TAVRO_SWF_DATA ${CMAKE_CURRENT_LIST_DIR}/data/swf)

# tavro_cli_test(<name> <args, separated by |> <exit status> [STDOUT <regex>] [STDERR <regex>])
function(tavro_cli_test name args rc)
  cmake_parse_arguments(PARSE_ARGV 3 check "" "STDOUT;STDERR" "")
  set(defs -DCLI=$<TARGET_FILE:tavro-cli> "-DCLI_ARGS=${args}" -DEXPECT_RC=${rc})
  if(DEFINED check_STDOUT)
    list(APPEND defs "-DEXPECT_STDOUT=${check_STDOUT}")
  endif()
  if(DEFINED check_STDERR)
    list(APPEND defs "-DEXPECT_STDERR=${check_STDERR}")
  endif()
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} ${defs} -P ${TAVRO_CLI_CHECK})
endfunction()

# tavro_cli_cases(<name prefix> <work folder> <case>...): one test <name prefix>.<case> a case,
# which runs the calling file as its own checker (`cmake -P`) with CLI, EXAMPLES (examples/),
# WORK (<work folder>/<case> in the build tree) and CASE set. The cli_*.cmake files that come
# after this one use it.
function(tavro_cli_cases prefix folder)
  foreach(case IN LISTS ARGN)
    add_test(NAME ${prefix}.${case}
             COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tavro-cli>
                     -DEXAMPLES=${PROJECT_SOURCE_DIR}/examples
                     -DWORK=${PROJECT_BINARY_DIR}/${folder}/${case} -DCASE=${case}
                     -P ${CMAKE_CURRENT_LIST_FILE})
  endforeach()
endfunction()

tavro_cli_test(cli.info.hello "info|${PROJECT_SOURCE_DIR}/examples/hello.swf" 0
  STDOUT "FWS version 3, file length 31, frame x=0..11000 y=0..8000 twips, rate 12 fps, 1 frame|||\
SetBackgroundColor +3  color=#FFFFFF|||ShowFrame|||End")
tavro_cli_test(cli.info.truncated "info|${TAVRO_SWF_DATA}/bad-truncated-hello.swf" 1
  STDERR "^tavro-cli: [^\n]*bad-truncated-hello.swf: truncated tag at offset 21")
tavro_cli_test(cli.info.damaged "info|${TAVRO_SWF_DATA}/bad-sprite-no-end.swf" 1
  STDOUT "DefineSprite" STDERR "DefineSprite at offset 16 has no End tag")
# A compressed movie whose data stops after three bytes lists as the truncated movie it holds.
tavro_cli_test(cli.info.compressed_damaged "info|${TAVRO_SWF_DATA}/bad-compressed.swf" 1
  STDERR "bad-compressed.swf: truncated header")
tavro_cli_test(cli.info.missing "info|${TAVRO_SWF_DATA}/no-such-file.swf" 1
  STDERR "no-such-file.swf: cannot open the file")
tavro_cli_test(cli.info.help "info|--help" 0 STDOUT "FILE|||truncated or")
