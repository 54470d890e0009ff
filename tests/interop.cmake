# Interop stage: a movie written by the definition and action record writers (tests/interop, the
# InteropMovie test of test_interop) is decoded by the independent npm package `swf-parser` and
# compared with what was meant. The package is installed into <build>/interop on first run; when
# node, npm or the package cannot be had, the test reports itself skipped with the reason.
add_test(NAME interop.swf_parser
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/interop/run_interop.sh
                 $<TARGET_FILE:test_interop> ${PROJECT_BINARY_DIR}/interop
                 ${CMAKE_CURRENT_LIST_DIR}/interop)
set_tests_properties(interop.swf_parser PROPERTIES
  SKIP_RETURN_CODE 77
  TIMEOUT 600
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
