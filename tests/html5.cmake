# Web page stage (tests/html5.cmake): the pages `tavro-cli publish --html5` writes are played in
# headless Chromium and compared with Tavro's player: every frame of every example, the buttons
# of examples/buttons.swi clicked in both, and a frame-event Stop. The browser driver comes from
# the independent-player stage's packages (tools/independent/package.json, installed into
# <build>/independent on first run); without node, npm or Chromium the tests report themselves
# skipped. Damaged and unsupported movies are checked without a browser (html5.refused).

# Our player's side: every frame of a movie in one run, as tavro-cli render draws each, and
# mouse gestures with the requests and cursors they give.
add_executable(html5_player ${CMAKE_CURRENT_LIST_DIR}/html5_player.cpp)
target_link_libraries(html5_player PRIVATE tavro_player_headless tavro_warnings)

set(html5_tools ${PROJECT_SOURCE_DIR}/tools/independent)
set(html5_work ${PROJECT_BINARY_DIR}/independent)
set(html5_run bash ${CMAKE_CURRENT_LIST_DIR}/independent/run_independent.sh ${html5_tools} ${html5_work})

set(html5_names)
file(GLOB html5_examples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.swi)
foreach(example IN LISTS html5_examples)
  get_filename_component(name ${example} NAME_WE)
  add_test(NAME html5.frames.${name}
           COMMAND ${html5_run} html5-frames $<TARGET_FILE:tavro-cli>
                   $<TARGET_FILE:html5_player> ${example} ${html5_work}/html5-${name})
  list(APPEND html5_names html5.frames.${name})
endforeach()
# The same click scripts as the independent stage's (stage pixels of the buttons: Red 110,160,
# Blue 290,160, Help 200,250; on the colour frames Back 110,230 or 200,230 and Next 290,230).
add_test(NAME html5.buttons
         COMMAND ${html5_run} html5-clicks $<TARGET_FILE:tavro-cli>
                 ${PROJECT_SOURCE_DIR}/examples/buttons.swi ${html5_work}/html5-buttons
                 none= red=110,160 blue=290,160 red_back=110,160+110,230
                 red_next=110,160+290,230 blue_back=290,160+200,230 help=200,250
                 outside=20,280+110,160+200,20 red_left_edge=72,160 red_below=110,182)
list(APPEND html5_names html5.buttons)
# Frame actions from buttons (tests/html5/gotos.json: a text slides in over 8 frames, the first
# frame stops; buttons Next 40,260, Prev 100,260, Far (frame 100) 160,260, Twice (next frame
# twice) 220,260, Play 280,260, Three (frame 3 and play) 340,260, Label (a label the movie does
# not have) 40,220): gotos past the end, before the start, several in one list, with play.
add_test(NAME html5.gotos
         COMMAND ${html5_run} html5-clicks $<TARGET_FILE:tavro-cli>
                 ${CMAKE_CURRENT_LIST_DIR}/html5/gotos.json ${html5_work}/html5-gotos
                 next=40,260 next2=40,260+40,260 prev_at_0=100,260 next_prev=40,260+100,260
                 far=160,260 far_next=160,260+40,260 far_prev=160,260+100,260
                 far_far=160,260+160,260 twice=220,260 twice_prev=220,260+100,260 play=280,260
                 three=340,260 label=40,220 far_play=160,260+280,260)
list(APPEND html5_names html5.gotos)
# The stage link of examples/hello.swi's second scene: clicked, and with Tab and Enter.
add_test(NAME html5.link
         COMMAND ${html5_run} html5-clicks $<TARGET_FILE:tavro-cli>
                 ${PROJECT_SOURCE_DIR}/examples/hello.swi ${html5_work}/html5-link
                 link=275,200 keyboard_link=275,200 corner=1,1)
list(APPEND html5_names html5.link)
# Every mouse condition of a text button (tests/html5/conditions.json: one event per condition,
# each opening its own URL): roll over, press, drag out, drag over, release, roll out, then a
# press released outside, and a press that begins off the button.
add_test(NAME html5.conditions
         COMMAND ${html5_run} html5-gestures $<TARGET_FILE:tavro-cli> $<TARGET_FILE:html5_player>
                 ${CMAKE_CURRENT_LIST_DIR}/html5/conditions.json ${html5_work}/html5-conditions
                 m:20,20 m:200,160 d m:20,20 m:200,160 u m:20,20 m:200,160 d m:20,20 u
                 m:30,30 d m:200,160 u s m:20,20)
list(APPEND html5_names html5.conditions)
add_test(NAME html5.stop
         COMMAND ${html5_run} html5-stop $<TARGET_FILE:tavro-cli>
                 ${CMAKE_CURRENT_LIST_DIR}/html5/stop_at_frame.json ${html5_work}/html5-stop)
list(APPEND html5_names html5.stop)
set_tests_properties(${html5_names} PROPERTIES
  SKIP_RETURN_CODE 77
  TIMEOUT 600
  LABELS html5
  ENVIRONMENT "TAVRO_TOOLS=${html5_tools};ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
