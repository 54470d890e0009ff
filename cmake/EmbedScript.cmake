# Writes a C++ source whose function returns the text of a script file, so that a program can
# write the script into the pages it makes without reading files at run time.
#
#   cmake -DINPUT=script.js -DOUTPUT=Script.cpp -DFUNCTION=name -DHEADER=header.h -P EmbedScript.cmake
#
# The script goes into a raw string literal as it is; it must not hold the literal's delimiter,
# nor "</script", which would end the script element of a page early.
file(READ "${INPUT}" text)
string(FIND "${text}" ")tavro_script\"" delimiter)
if(NOT delimiter EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the text )tavro_script\", which ends the embedded string")
endif()
string(TOLOWER "${text}" lower)
string(FIND "${lower}" "</script" closing)
if(NOT closing EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds </script, which would end the page's script element")
endif()
set(source "// Generated from ${INPUT} by cmake/EmbedScript.cmake; edit the script, not this file.
#include \"${HEADER}\"

namespace tavro {

std::string_view ${FUNCTION}() {
    static constexpr char kText[] = R\"tavro_script(${text})tavro_script\";
    return {kText, sizeof kText - 1};
}

} // namespace tavro
")
# Only a changed script touches the file, so that an unchanged one rebuilds nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL source)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${source}")
