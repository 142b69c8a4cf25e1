# orvex_strict(target): the project's warning level for its own code.
function(orvex_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
