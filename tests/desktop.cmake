# Desktop files: the editor's .desktop entry, the software centre description and the file
# type definition must pass the freedesktop validators.
set(TAVRO_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop.entry_validates
           COMMAND ${DESKTOP_FILE_VALIDATE} ${TAVRO_DATA_DIR}/org.tavro.Tavro.desktop)
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
