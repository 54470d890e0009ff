# Desktop files: the .desktop entries of the editor and the player, the software centre
# description and the file type definition must pass the freedesktop validators.
set(TAVRO_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop.entry_validates
           COMMAND ${DESKTOP_FILE_VALIDATE} ${TAVRO_DATA_DIR}/org.tavro.Tavro.desktop)
  add_test(NAME desktop.player_entry_validates
           COMMAND ${DESKTOP_FILE_VALIDATE} ${TAVRO_DATA_DIR}/org.tavro.Player.desktop)
endif()
# After `cmake --install`, xdg-open of a movie starts tavro-player (tests/desktop).
if(TARGET tavro-player)
  add_test(NAME desktop.xdg_open_starts_the_player
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/desktop/xdg_open_check.sh ${PROJECT_BINARY_DIR}
                   ${CMAKE_CURRENT_LIST_DIR}/data/player/buttons.swf
                   ${PROJECT_BINARY_DIR}/desktop-xdg)
  set_tests_properties(desktop.xdg_open_starts_the_player PROPERTIES
    SKIP_RETURN_CODE 77 TIMEOUT 120 RUN_SERIAL ON)
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  add_test(NAME desktop.metainfo_validates
           COMMAND ${APPSTREAMCLI} validate --no-net ${TAVRO_DATA_DIR}/org.tavro.Tavro.metainfo.xml)
endif()
find_program(XMLLINT xmllint)
if(XMLLINT)
  add_test(NAME desktop.mime_type_is_well_formed
           COMMAND ${XMLLINT} --noout ${TAVRO_DATA_DIR}/org.tavro.Tavro.mime.xml)
endif()
