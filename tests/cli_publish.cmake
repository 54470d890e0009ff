# Command-line tests of tavro-cli publish on the sample movie in examples/. Included by
# tests/CMakeLists.txt, this file registers CTest tests; run with `cmake -P` it is the checker:
#
#   cmake -DCLI=<program> -DEXAMPLES=<dir> -DWORK=<dir> -DCASE=<case> -P cli_publish.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  include(${CMAKE_CURRENT_LIST_DIR}/../cmake/TavroCliChecks.cmake)

  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  if(CASE STREQUAL "swi" OR CASE STREQUAL "json")
    run(0 "" publish "${EXAMPLES}/hello.${CASE}" -o "${WORK}/page.html")
    swf3("${WORK}/page.swf")
    # The movie beside the page is the one export writes.
    run(0 "" export "${EXAMPLES}/hello.${CASE}" -o "${WORK}/exported.swf")
    same("${WORK}/page.swf" "${WORK}/exported.swf" " (published and exported movies)")
    file(READ "${WORK}/page.html" page HEX)
    # "<title>Tavro [page.swi]</title>" then carriage return and line feed.
    string(HEX "<title>Tavro [page.swi]</title>\r\n" title)
    string(HEX "<EMBED src=\"page.swf\"" embed)
    if(NOT page MATCHES "${title}" OR NOT page MATCHES "${embed}")
      message(FATAL_ERROR "page.html lacks its title or movie reference")
    endif()
  elseif(CASE STREQUAL "errors")
    file(MAKE_DIRECTORY "${WORK}/taken.html")
    run(1 "^tavro-cli: [^\n]*no-dir/p.swf: cannot write the file \\(No such file"
        publish "${EXAMPLES}/hello.json" -o "${WORK}/no-dir/p.html")
    run(1 "^tavro-cli: [^\n]*taken.html: cannot write the file \\(Is a directory"
        publish "${EXAMPLES}/hello.json" -o "${WORK}/taken.html")
    run(1 "missing.swi: cannot open the file" publish "${WORK}/missing.swi" -o "${WORK}/m.html")
    run(0 "" publish --help)
  else()
    message(FATAL_ERROR "unknown case ${CASE}")
  endif()
  file(REMOVE_RECURSE "${WORK}")
  return()
endif()

tavro_cli_cases(cli.publish cli-publish swi json errors)
