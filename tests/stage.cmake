# Stage stage (tests/stage): the real editor plays example movies under a virtual X server; the
# grabbed stage window must equal `tavro-cli render` of the same frame. Skipped without xvfb-run
# or ImageMagick.
set(stage_names)
if(TARGET tavro AND TARGET tavro-cli)
  set(stage_movies
      "buttons|${PROJECT_SOURCE_DIR}/examples/buttons.swi|3"
      "letters|${PROJECT_SOURCE_DIR}/examples/letters.swi|12")
  foreach(entry IN LISTS stage_movies)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 name)
    list(GET fields 1 movie)
    list(GET fields 2 frames)
    add_test(NAME stage.play.${name}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/stage/run_stage.sh $<TARGET_FILE:tavro>
                     $<TARGET_FILE:tavro-cli> ${movie} ${frames}
                     ${PROJECT_BINARY_DIR}/stage/${name})
    list(APPEND stage_names stage.play.${name})
  endforeach()
endif()

# tavro-player under a virtual X server (tests/stage/run_player_stage.sh): a click on the Red
# button of examples/buttons.swi, grabbed from the screen, equals `tavro-cli play --click`.
if(TARGET tavro-player AND TARGET tavro-cli)
  add_test(NAME stage.player.buttons_click
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/stage/run_player_stage.sh
                   $<TARGET_FILE:tavro-player> $<TARGET_FILE:tavro-cli>
                   ${PROJECT_SOURCE_DIR}/examples/buttons.swi 110,160 1 3
                   ${PROJECT_BINARY_DIR}/stage/player-buttons)
  list(APPEND stage_names stage.player.buttons_click)
endif()

if(stage_names)
  set_tests_properties(${stage_names} PROPERTIES
    SKIP_RETURN_CODE 77
    TIMEOUT 180
    RUN_SERIAL ON
    LABELS stage
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()
