# tests/video: the video exporters (test_video). They run tavro-cli and read its output with
# ffprobe and ffmpeg (skipped when missing), and an animated WebP with libwebp's demuxer, which
# this system's FFmpeg cannot decode.
if(TARGET test_video)
  target_link_libraries(test_video PRIVATE tavro_video)
  add_dependencies(test_video tavro-cli)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(WEBPDEMUX IMPORTED_TARGET libwebpdemux)
  if(WEBPDEMUX_FOUND)
    target_link_libraries(test_video PRIVATE PkgConfig::WEBPDEMUX)
    target_compile_definitions(test_video PRIVATE TAVRO_HAVE_WEBP_DEMUX=1)
  endif()
endif()
