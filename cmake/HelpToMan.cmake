# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# Makes a manual page from a program's --help text, so the help stays the one source:
#   cmake -DPROGRAM=<exe> -DNAME=<name> -DSUMMARY=<one line> -DOUTPUT=<file.1>
#         [-DCOMMANDS=ON] -P HelpToMan.cmake
# With COMMANDS the program is a command tool: the commands listed under "Commands:" of its
# help each get a section with the text of "<exe> help <command>".

function(run_help out)
    execute_process(COMMAND "${PROGRAM}" ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc
                    ERROR_VARIABLE ignored)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${ARGN} failed (${rc})")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Preformatted roff of a plain text: backslashes escaped, lines that start with a dot or an
# apostrophe protected, minus signs kept as such.
function(to_roff out text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} ".nf\n${text}\n.fi\n" PARENT_SCOPE)
endfunction()

run_help(help --help)
run_help(version --version)
string(REGEX REPLACE "^[^ ]+ ([^\n]*)\n?$" "\\1" version "${version}")
string(REPLACE "-" "\\-" roffName "${NAME}")
string(TIMESTAMP date "%Y-%m-%d" UTC)

set(page ".TH \"${NAME}\" 1 \"${date}\" \"vantrel ${version}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${roffName} \\- ${SUMMARY}\n.SH DESCRIPTION\n")
to_roff(body "${help}")
string(APPEND page "${body}")

if(COMMANDS)
    # The command lines of the "Commands:" block: two spaces and a lower-case name.
    string(FIND "${help}" "\nCommands:\n" start)
    if(start LESS 0)
        message(FATAL_ERROR "no \"Commands:\" in the help of ${PROGRAM}")
    endif()
    string(SUBSTRING "${help}" ${start} -1 block)
    string(SUBSTRING "${block}" 1 -1 block)
    string(FIND "${block}" "\n\n" end)
    string(SUBSTRING "${block}" 0 ${end} block)
    string(REGEX MATCHALL "\n  [a-z][a-z-]+" names "${block}")
    set(seen "")
    string(APPEND page ".SH COMMANDS\n")
    foreach(entry IN LISTS names)
        string(STRIP "${entry}" command)
        if(command STREQUAL "help" OR command IN_LIST seen)
            continue()
        endif()
        list(APPEND seen "${command}")
        run_help(commandHelp help "${command}")
        string(REPLACE "-" "\\-" roffCommand "${command}")
        to_roff(commandBody "${commandHelp}")
        string(APPEND page ".SS ${roffCommand}\n${commandBody}")
    endforeach()
    if(NOT seen)
        message(FATAL_ERROR "no commands found in the help of ${PROGRAM}")
    endif()
endif()

file(WRITE "${OUTPUT}" "${page}")
