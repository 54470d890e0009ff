# Every sample movie in examples/ (NAME.swi beside NAME.json) must convert to exactly the other
# form, export, and render. Run with `cmake -P` this file is the checker:
#
#   cmake -DCLI=<program> -DMOVIE=<examples/NAME without extension> -DWORK=<dir> -P cli_examples.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  include(${CMAKE_CURRENT_LIST_DIR}/../cmake/TavroCliChecks.cmake)
  get_filename_component(name "${MOVIE}" NAME)
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  run(0 "" convert "${MOVIE}.swi" -o "${WORK}/${name}.json")
  same("${WORK}/${name}.json" "${MOVIE}.json")
  run(0 "" convert "${MOVIE}.json" -o "${WORK}/${name}.swi")
  same("${WORK}/${name}.swi" "${MOVIE}.swi")
  run(0 "" export "${MOVIE}.swi" -o "${WORK}/${name}.swf")
  run(0 "" info "${WORK}/${name}.swf")
  run(0 "" render "${WORK}/${name}.swf" --frame 12 -o "${WORK}/${name}.png")
  return()
endif()

file(GLOB example_movies CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.swi)
foreach(movie IN LISTS example_movies)
  get_filename_component(name ${movie} NAME_WE)
  add_test(NAME cli.example.${name}
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tavro-cli>
            -DMOVIE=${PROJECT_SOURCE_DIR}/examples/${name}
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/cli-example-${name}
            -P ${CMAKE_CURRENT_LIST_FILE})
endforeach()
