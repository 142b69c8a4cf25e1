# orvex_write_link_graph(file): writes every target of the build with what it
# links, for scripts/check_layers.py: one target a line, its name, type,
# LINK_LIBRARIES and INTERFACE_LINK_LIBRARIES separated by tabs, the lists
# as CMake holds them (generator expressions unevaluated). Call it once all
# targets exist.
function(_orvex_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _orvex_targets_below(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(orvex_write_link_graph file)
  _orvex_targets_below(${PROJECT_SOURCE_DIR} targets)
  set(text "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${target} LINK_LIBRARIES)
    endif()
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    string(APPEND text "${target}\t${type}\t${links}\t${interface}\n")
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
