# Checks shared by the script-mode test stages under tests/ (cmake -P): run a program and check
# its exit status and standard error, compare files. Included by each stage's checker.

# run(<expected status> <stderr regex or ""> <args>...): runs ${CLI} with the arguments; the
# standard output is left in last_stdout.
function(run rc pattern)
  execute_process(COMMAND "${CLI}" ${ARGN}
                  RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT "${got}" STREQUAL "${rc}")
    message(FATAL_ERROR "${ARGN}: exit status ${got}, expected ${rc}\n${out}${err}")
  endif()
  if(NOT pattern STREQUAL "" AND NOT err MATCHES "${pattern}")
    message(FATAL_ERROR "${ARGN}: stderr does not match ${pattern}:\n${err}")
  endif()
  set(last_stdout "${out}" PARENT_SCOPE)
endfunction()

# same(<file> <file> [<why>]): the two files hold the same bytes.
function(same a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${a}" "${b}" RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${a} and ${b} differ${ARGN}")
  endif()
endfunction()

# different(<file> <file> [<why>]): the two files differ.
function(different a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${a}" "${b}" RESULT_VARIABLE differ)
  if(NOT differ)
    message(FATAL_ERROR "${a} and ${b} are the same${ARGN}")
  endif()
endfunction()

# swf3(<file>): the file exists and starts with the signature of an uncompressed version-3 movie.
function(swf3 file)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} was not written")
  endif()
  file(READ "${file}" head LIMIT 4 HEX)
  if(NOT head STREQUAL "46575303")
    message(FATAL_ERROR "${file}: not an SWF 3 file: ${head}")
  endif()
endfunction()
