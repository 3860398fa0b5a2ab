# Writes a program's manual page from its --help, so that the page says what
# the program does:
#
#   cmake -DPROGRAM=<executable> -DNAME=<name> -DSUMMARY=<one line>
#         -DOUTPUT=<page.1> -P man_page.cmake
#
# The page holds the help as it stands and, for a program of commands (its
# help lists them as lines "  NAME COMMAND ..."), each command's own help, in
# a section each.
cmake_minimum_required(VERSION 3.25)

foreach(variable PROGRAM NAME SUMMARY OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "man_page.cmake: give -D${variable}=...")
  endif()
endforeach()

function(help_of out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed (${status})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text shown as it stands: each line kept, roff's own characters escaped, no
# line starting with a roff control character.
function(verbatim out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "${text}")
  set(${out} ".nf\n${text}\n.fi\n" PARENT_SCOPE)
endfunction()

string(REPLACE "-" "\\-" summary "${SUMMARY}")
string(TOUPPER "${NAME}" title)
help_of(help)
verbatim(help_shown "${help}")
set(page ".TH ${title} 1 \"\" \"${NAME}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${NAME} \\- ${summary}\n.SH DESCRIPTION\n${help_shown}")
string(REGEX MATCHALL "\n  ${NAME} [a-z]+" command_lines "${help}")
set(commands "")
foreach(line IN LISTS command_lines)
  string(REGEX REPLACE ".* " "" command "${line}")
  list(APPEND commands ${command})
endforeach()
foreach(command IN LISTS commands)
  help_of(command_help ${command})
  verbatim(command_shown "${command_help}")
  string(TOUPPER "${command}" command_title)
  string(APPEND page ".SH ${command_title}\n${command_shown}")
endforeach()
string(APPEND page ".SH LICENCE\nThe MIT licence: the copyright or LICENSE file among the package's documents.\n")
file(WRITE "${OUTPUT}" "${page}")
