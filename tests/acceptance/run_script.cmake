# Runs one console script and compares what it writes with what is expected.
#
#   cmake -DORVEX=<orvex> -DSCRIPT=<x.vbs> -DEXPECTED=<x.jsonl|x.out> -DACTUAL=<file>
#         [-DEXPECTED_ERR=<x.err>] [-DMODE=json|text] [-DSTORE=<dir> [-DFRESH_STORE=ON]]
#         [-DLAUNCHER=<demo.sh>] -P run_script.cmake
#
# json mode runs `orvex --embedded --json SCRIPT`, text mode
# `orvex --embedded SCRIPT`. With LAUNCHER the script is run by that program
# instead, from the folder of ACTUAL, with ORVEX_CONSOLE naming the console
# (scripts/demo.sh runs the demo that way). Standard output must equal EXPECTED exactly, and
# standard error EXPECTED_ERR when given; the exit status must be 0, or N
# when the script has a line "' exit status: N". What the script wrote is
# kept in ACTUAL (and ACTUAL.err) for comparing by hand. With STORE the
# docstore keeps its store in that folder (emptied first with FRESH_STORE).
if(NOT DEFINED MODE)
  set(MODE json)
endif()
set(args --embedded)
if(STORE)
  if(FRESH_STORE)
    file(REMOVE_RECURSE "${STORE}")
  endif()
  list(APPEND args --store "${STORE}")
endif()
if(MODE STREQUAL "json")
  list(APPEND args --json)
endif()

file(STRINGS "${SCRIPT}" status_line REGEX "^' exit status: [0-9]+")
set(expected_status 0)
if(status_line)
  string(REGEX REPLACE "^' exit status: ([0-9]+).*" "\\1" expected_status "${status_line}")
endif()

# The script runs from its own folder and is named without a path, so the
# file name in error lines does not depend on where the sources are.
get_filename_component(script_dir "${SCRIPT}" DIRECTORY)
get_filename_component(script_name "${SCRIPT}" NAME)
set(command "${ORVEX}" ${args} "${script_name}")
if(LAUNCHER)
  set(command "${CMAKE_COMMAND}" -E env "ORVEX_CONSOLE=${ORVEX}" "${LAUNCHER}")
  get_filename_component(script_dir "${ACTUAL}" DIRECTORY)
endif()
execute_process(
  COMMAND ${command}
  WORKING_DIRECTORY "${script_dir}"
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 60)
file(WRITE "${ACTUAL}" "${actual}")
file(WRITE "${ACTUAL}.err" "${errors}")
file(READ "${EXPECTED}" expected)

set(failed FALSE)
if(NOT actual STREQUAL expected)
  set(failed TRUE)
  message("standard output differs from ${EXPECTED}\n--- expected\n${expected}--- actual (${ACTUAL})\n${actual}")
endif()
if(EXPECTED_ERR)
  file(READ "${EXPECTED_ERR}" expected_errors)
  if(NOT errors STREQUAL expected_errors)
    set(failed TRUE)
    message("standard error differs from ${EXPECTED_ERR}\n--- expected\n${expected_errors}--- actual\n${errors}")
  endif()
endif()
if(NOT status STREQUAL expected_status)
  set(failed TRUE)
  message("exit status ${status}, expected ${expected_status}")
endif()
if(failed)
  message(FATAL_ERROR "--- standard error\n${errors}")
endif()
