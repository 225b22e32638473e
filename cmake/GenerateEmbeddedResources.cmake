# Script mode (cmake -P): writes OUTPUT, a C++ source holding the bytes of
# every "DATA" line of RC_FILE and a table registering them, with the files
# looked up in SEARCH_DIRS ("|"-separated). A missing file fails the build.
string(REPLACE "|" ";" dirs "${SEARCH_DIRS}")
file(STRINGS ${RC_FILE} lines REGEX "^[ \t]*[A-Za-z0-9_]+[ \t]+DATA[ \t]+\"")

set(arrays "")
set(entries "")
set(index 0)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[ \t]*([A-Za-z0-9_]+)[ \t].*$" "\\1" key "${line}")
  string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" name "${line}")
  set(path "")
  foreach(dir IN LISTS dirs)
    if(EXISTS ${dir}/${name})
      set(path ${dir}/${name})
      break()
    endif()
  endforeach()
  if(path STREQUAL "")
    message(FATAL_ERROR "${RC_FILE}: ${name} is in none of ${dirs}")
  endif()
  file(READ ${path} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Lines of 16 bytes keep the generated file readable.
  string(REPEAT "0x..," 16 sixteen)
  string(REGEX REPLACE "(${sixteen})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "// ${name}\nconst unsigned char data${index}[${size}] = {\n    ${bytes}};\n")
  if(key MATCHES "^[0-9]+$")
    string(APPEND entries "    {${key}, nullptr, data${index}, ${size}},\n")
  else()
    string(APPEND entries "    {-1, \"${key}\", data${index}, ${size}},\n")
  endif()
  math(EXPR index "${index} + 1")
endforeach()

if(index EQUAL 0)
  message(FATAL_ERROR "${RC_FILE} names no DATA resource")
endif()

file(WRITE ${OUTPUT}.tmp "// Generated from ${RC_FILE}: do not edit.
#include \"gui/toolkit/embeddedresources.h\"

namespace {

${arrays}
const VSTGUI::EmbeddedResource entries[] = {
${entries}};

const VSTGUI::EmbeddedResourceTable table(entries, sizeof entries / sizeof entries[0]);

}  // namespace
")
configure_file(${OUTPUT}.tmp ${OUTPUT} COPYONLY)  # rewritten only when it changed
file(REMOVE ${OUTPUT}.tmp)
