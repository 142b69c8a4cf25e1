# Install-time half of orvex_install_split (OrvexSplitDebug.cmake).
#   ORVEX_BUILT   the build tree's file, with its debug information
#   ORVEX_STRIP   the installed copy to strip, relative to the prefix; empty:
#                 install the debug file instead
#   ORVEX_OBJCOPY, ORVEX_READELF  the tools
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
if(NOT IS_ABSOLUTE "${CMAKE_INSTALL_PREFIX}")
  message(FATAL_ERROR "split_debug: the prefix ${CMAKE_INSTALL_PREFIX} is not absolute")
endif()

execute_process(COMMAND "${ORVEX_READELF}" -n "${ORVEX_BUILT}" OUTPUT_VARIABLE notes
                COMMAND_ERROR_IS_FATAL ANY)
if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "split_debug: ${ORVEX_BUILT} has no build ID")
endif()
set(debug_name "${CMAKE_MATCH_2}.debug")
set(debug_dir "lib/debug/.build-id/${CMAKE_MATCH_1}")

if(ORVEX_STRIP STREQUAL "")
  file(MAKE_DIRECTORY "${root}/${debug_dir}")
  set(debug_file "${root}/${debug_dir}/${debug_name}")
  message(STATUS "Installing: ${debug_file}")
  execute_process(COMMAND "${ORVEX_OBJCOPY}" --only-keep-debug --compress-debug-sections
                          "${ORVEX_BUILT}" "${debug_file}" COMMAND_ERROR_IS_FATAL ANY)
  file(CHMOD "${debug_file}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  return()
endif()

# The link's checksum is the debug file's: cut the same file again, aside.
set(installed "${root}/${ORVEX_STRIP}")
string(RANDOM LENGTH 8 tag)
set(aside "${installed}.${tag}.tmp")
file(MAKE_DIRECTORY "${aside}")
execute_process(COMMAND "${ORVEX_OBJCOPY}" --only-keep-debug --compress-debug-sections
                        "${ORVEX_BUILT}" "${aside}/${debug_name}" COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Stripping: ${installed}")
execute_process(COMMAND "${ORVEX_OBJCOPY}" --strip-debug --strip-unneeded
                        "--add-gnu-debuglink=${aside}/${debug_name}" "${installed}"
                RESULT_VARIABLE failed)
file(REMOVE_RECURSE "${aside}")
if(failed)
  message(FATAL_ERROR "split_debug: cannot strip ${installed}")
endif()
