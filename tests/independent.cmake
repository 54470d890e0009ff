# Independent-player stage (tests/independent): pictures from our player (`tavro-cli render`) are
# compared with pictures of the same movies from an independent web player in headless Chromium,
# and the page `tavro-cli publish` writes is opened with that player. The npm packages listed in
# tools/independent/package.json are installed into <build>/independent on first run; without
# node, npm, Chromium or the packages the tests report themselves skipped with the reason.
set(independent_tools ${PROJECT_SOURCE_DIR}/tools/independent)
set(independent_work ${PROJECT_BINARY_DIR}/independent)
set(independent_run bash ${CMAKE_CURRENT_LIST_DIR}/independent/run_independent.sh
                    ${independent_tools} ${independent_work})

# name, movie, frames ("all", "ends" = first, middle and last, or a list)
set(independent_movies
    "hello_swf|${PROJECT_SOURCE_DIR}/examples/hello.swf|ends"
    "text_layout|${CMAKE_CURRENT_LIST_DIR}/interop/texts.json|ends"
    "effects|${PROJECT_SOURCE_DIR}/examples/effects.swi|all")
file(GLOB independent_examples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.swi)
foreach(example IN LISTS independent_examples)
  get_filename_component(name ${example} NAME_WE)
  if(NOT name STREQUAL "effects")
    list(APPEND independent_movies "${name}|${example}|ends")
  endif()
endforeach()

set(independent_names)
foreach(entry IN LISTS independent_movies)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 movie)
  list(GET fields 2 frames)
  add_test(NAME independent.frames.${name}
           COMMAND ${independent_run} frames $<TARGET_FILE:tavro-cli> ${movie}
                   ${independent_work}/${name} ${frames})
  list(APPEND independent_names independent.frames.${name})
endforeach()
add_test(NAME independent.page
         COMMAND ${independent_run} page $<TARGET_FILE:tavro-cli>
                 ${PROJECT_SOURCE_DIR}/examples/hello.swi ${independent_work}/page)
list(APPEND independent_names independent.page)
# Clicks through the text buttons of examples/buttons.swi in both players (stage pixels of the
# buttons: Red 110,160, Blue 290,160, Help 200,250; on the colour frames Back 110,230 or
# 200,230 and Next 290,230) and compares the pictures and the GetURL requests. The last two
# scripts click the first pixel inside Red's left edge and the first one below it.
add_test(NAME independent.buttons
         COMMAND ${independent_run} clicks $<TARGET_FILE:tavro-cli>
                 ${PROJECT_SOURCE_DIR}/examples/buttons.swi ${independent_work}/buttons_clicks
                 none= red=110,160 blue=290,160 red_back=110,160+110,230
                 red_next=110,160+290,230 blue_back=290,160+200,230 help=200,250
                 outside=20,280+110,160+200,20 red_left_edge=72,160 red_below=110,182)
list(APPEND independent_names independent.buttons)
# The raw SWF handling behind the frame pictures needs node only.
add_test(NAME independent.swf_tools
         COMMAND bash -c "command -v node >/dev/null || { echo 'SKIPPED: node is not installed'; exit 77; }; exec node --test \"$0\""
                 ${CMAKE_CURRENT_LIST_DIR}/independent/swf_test.mjs)
list(APPEND independent_names independent.swf_tools)
set_tests_properties(${independent_names} PROPERTIES
  SKIP_RETURN_CODE 77
  TIMEOUT 420
  LABELS independent
  ENVIRONMENT "TAVRO_TOOLS=${independent_tools};ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
