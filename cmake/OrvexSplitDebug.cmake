# Installed programs and shared libraries are stripped; their debug
# information is installed apart, as the "debug" component, at
# lib/debug/.build-id/XX/YYYY.debug below the prefix (the build-id layout
# GDB looks in: under /usr it finds them by itself, elsewhere after
# `set debug-file-directory PREFIX/lib/debug`). The stripped file names its
# debug file in a .gnu_debuglink section.
#
# Both halves are cut from the build tree's file at install time, with the
# same objcopy run, so the checksum in the link matches the debug file
# whichever components are installed.
find_program(ORVEX_OBJCOPY NAMES objcopy)
find_program(ORVEX_READELF NAMES readelf)
set(ORVEX_SPLIT_DEBUG_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/split_debug.cmake)

# orvex_install_split(TARGET COMPONENT DESTINATION): installs TARGET's file
# (a program or a shared library, installed before this call into
# DESTINATION, relative to the prefix) stripped, and its debug file.
function(orvex_install_split target component destination)
  if(NOT ORVEX_OBJCOPY OR NOT ORVEX_READELF OR ORVEX_SANITIZE OR ORVEX_BUILD_FUZZ)
    return()
  endif()
  set(common
      "set(ORVEX_OBJCOPY \"${ORVEX_OBJCOPY}\")\nset(ORVEX_READELF \"${ORVEX_READELF}\")\nset(ORVEX_BUILT \"$<TARGET_FILE:${target}>\")\n")
  install(CODE "${common}set(ORVEX_STRIP \"${destination}/$<TARGET_FILE_NAME:${target}>\")\ninclude(\"${ORVEX_SPLIT_DEBUG_SCRIPT}\")"
          COMPONENT ${component})
  install(CODE "${common}set(ORVEX_STRIP \"\")\ninclude(\"${ORVEX_SPLIT_DEBUG_SCRIPT}\")"
          COMPONENT debug)
endfunction()

# orvex_install_strip_archive(TARGET COMPONENT DESTINATION): the installed
# static library TARGET (installed before this call into DESTINATION)
# loses its debug information; a program linked with it has none of ours.
function(orvex_install_strip_archive target component destination)
  if(NOT ORVEX_OBJCOPY OR ORVEX_SANITIZE OR ORVEX_BUILD_FUZZ)
    return()
  endif()
  install(CODE "execute_process(COMMAND \"${ORVEX_OBJCOPY}\" --strip-debug
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
    COMMAND_ERROR_IS_FATAL ANY)" COMPONENT ${component})
endfunction()
