# orvex_strict(target): the project's warning level for its own code. CI
# builds with ORVEX_WERROR on; other compilers may warn where GCC does not.
function(orvex_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${ORVEX_WERROR}>:-Werror>)
endfunction()
