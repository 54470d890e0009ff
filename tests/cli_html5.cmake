# Command-line tests of tavro-cli publish --html5 that need no browser: the page is one file made
# from the movie (a document or an SWF movie gives the same page), and a damaged movie gives a
# clear error and no page, leaving an earlier page as it was. Included by tests/CMakeLists.txt,
# this file registers CTest tests; run with `cmake -P` it is the checker:
#
#   cmake -DCLI=<program> -DEXAMPLES=<dir> -DWORK=<dir> -DCASE=<case> -P cli_html5.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  include(${CMAKE_CURRENT_LIST_DIR}/../cmake/TavroCliChecks.cmake)

  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  if(CASE STREQUAL "page")
    run(0 "" publish "${EXAMPLES}/hello.swi" -o "${WORK}/page.html" --html5)
    file(GLOB written "${WORK}/*")
    if(NOT written STREQUAL "${WORK}/page.html")
      message(FATAL_ERROR "publish --html5 wrote ${written}, expected page.html alone")
    endif()
    file(READ "${WORK}/page.html" page)
    if(NOT page MATCHES "^<!DOCTYPE html>\n" OR NOT page MATCHES "<svg id=\"tavro-stage\""
       OR NOT page MATCHES "<title>page</title>" OR page MATCHES "src=")
      message(FATAL_ERROR "page.html is not the self-contained page")
    endif()
    # The page of the document is the page of its SWF export.
    run(0 "" export "${EXAMPLES}/hello.swi" -o "${WORK}/hello.swf")
    file(MAKE_DIRECTORY "${WORK}/from-swf")
    run(0 "" publish "${WORK}/hello.swf" -o "${WORK}/from-swf/page.html" --html5)
    same("${WORK}/page.html" "${WORK}/from-swf/page.html" " (document and SWF movie)")
    run(0 "" publish "${WORK}/hello.swf" -o "${WORK}/fixed.html" --html5 --fixed)
    file(READ "${WORK}/fixed.html" fixed)
    if(NOT fixed MATCHES " width=\"550\" height=\"400\"")
      message(FATAL_ERROR "--fixed does not give the stage its pixel size")
    endif()
  elseif(CASE STREQUAL "refused")
    run(0 "" export "${EXAMPLES}/hello.swi" -o "${WORK}/hello.swf")
    # Cut short: the first 300 bytes of the movie.
    execute_process(COMMAND head -c 300 "${WORK}/hello.swf" OUTPUT_FILE "${WORK}/cut.swf")
    file(WRITE "${WORK}/page.html" "earlier page")
    run(1 "^tavro-cli: [^\n]*cut.swf: cannot be made a web page: it is cut short: its header says 762 bytes, there are 300\n$"
        publish "${WORK}/cut.swf" -o "${WORK}/page.html" --html5)
    file(READ "${WORK}/page.html" kept)
    if(NOT kept STREQUAL "earlier page")
      message(FATAL_ERROR "a refused movie changed the earlier page")
    endif()
    run(1 "cut.swf: cannot be made a web page" publish "${WORK}/cut.swf" -o "${WORK}/new.html" --html5)
    if(EXISTS "${WORK}/new.html")
      message(FATAL_ERROR "a refused movie left a page")
    endif()
    file(WRITE "${WORK}/text.swf" "not a movie at all, just some words")
    run(1 "text.swf: cannot be made a web page: it is not an SWF movie"
        publish "${WORK}/text.swf" -o "${WORK}/new.html" --html5)
    # The options of the two kinds of page do not mix.
    run(107 "--fixed requires --html5" publish "${EXAMPLES}/hello.swi" -o "${WORK}/p.html" --fixed)
    run(108 "--html5 excludes --codebase-host"
        publish "${EXAMPLES}/hello.swi" -o "${WORK}/p.html" --html5 --codebase-host example.org)
    file(GLOB left "${WORK}/*.html")
    if(NOT left STREQUAL "${WORK}/page.html")
      message(FATAL_ERROR "refused runs left ${left}")
    endif()
  else()
    message(FATAL_ERROR "unknown case ${CASE}")
  endif()
  file(REMOVE_RECURSE "${WORK}")
  return()
endif()

tavro_cli_cases(cli.html5 cli-html5 page refused)
