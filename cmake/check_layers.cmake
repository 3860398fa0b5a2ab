# Checks that no source file includes a header from a layer above its own.
#
#   cmake -DSOURCE_ROOT=<folder holding the layer folders> -P check_layers.cmake
#
# The layers, lowest first; each may include from itself and the layers it
# names. A file under SOURCE_ROOT/<layer>/ that includes "<other>/..." from a
# layer it may not use ends the script with an error naming the file, the line
# and the include.
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_ROOT)
  message(FATAL_ERROR "check_layers.cmake: give -DSOURCE_ROOT=<folder>")
endif()

# output: the build's output (finishing, competition codes, compiled files);
# view: the scenario as a reader sees it (stations, signals, profiles);
# checker: diagnostics on an author's sources; recovery: sources recovered
# from compiled files, and the difference of two builds; running: the
# fastest run of the scenario's train over its line.
set(LAYERS base compiler output view checker recovery running sources driver platform tool)
set(ALLOWED_base base)
set(ALLOWED_compiler base compiler)
set(ALLOWED_output base compiler output)
set(ALLOWED_view base compiler output view)
set(ALLOWED_checker base compiler output view checker)
set(ALLOWED_recovery base compiler output view recovery)
set(ALLOWED_running base compiler output view running)
set(ALLOWED_sources base compiler sources)
set(ALLOWED_driver base compiler output sources driver)
set(ALLOWED_platform base compiler output sources driver platform)
set(ALLOWED_tool base compiler output view checker recovery running sources driver tool)

set(violations "")
foreach(layer IN LISTS LAYERS)
  file(GLOB_RECURSE files "${SOURCE_ROOT}/${layer}/*.h" "${SOURCE_ROOT}/${layer}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_0-9]+/")
    foreach(line IN LISTS includes)
      string(REGEX MATCH "\"([a-z_0-9]+)/[^\"]*\"" included "${line}")
      set(target_layer "${CMAKE_MATCH_1}")
      if(NOT target_layer IN_LIST LAYERS)
        continue()
      endif()
      if(NOT target_layer IN_LIST ALLOWED_${layer})
        file(RELATIVE_PATH shown "${SOURCE_ROOT}" "${file}")
        string(APPEND violations "  ${shown} (layer ${layer}) includes ${included} from layer ${target_layer}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "A lower layer includes from a higher one "
                      "(base <- compiler <- output <- view <- checker, recovery, running; compiler <- sources; output, sources <- driver <- platform; all <- tool):\n${violations}")
endif()
