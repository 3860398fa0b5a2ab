# Writes a C++ source that holds files as std::string_view constants, so that
# the tool carries them without reading anything at run time.
#
#   cmake -DOUTPUT=<file.cpp> -DNAMESPACE=<ns> -DFILES="<Name>=<path>|..." -P embed_files.cmake
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" FILES "${FILES}")

set(text "// Written by cmake/embed_files.cmake from the files it names; do not edit.\n")
string(APPEND text "#include <string_view>\n\nnamespace ${NAMESPACE} {\n\nnamespace {\n\n")
set(views "")
foreach(entry IN LISTS FILES)
  string(REPLACE "=" ";" entry "${entry}")
  list(GET entry 0 name)
  list(GET entry 1 path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  # Break the list into lines of 24 bytes.
  string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){24})" "\\1\n" bytes "${bytes}")
  string(APPEND text "const char ${name}Bytes[] = {\n${bytes}'\\0'};\n\n")
  string(APPEND views "extern const std::string_view ${name};\nconst std::string_view ${name}(${name}Bytes, ${size});\n")
endforeach()
string(APPEND text "}  // namespace\n\n${views}\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}.tmp" "${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
