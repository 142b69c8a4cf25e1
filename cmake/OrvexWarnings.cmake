# orvex_strict(target): the project's warning level for its own code.
# Warnings are errors with ORVEX_WERROR, which CI (scripts/test.sh) turns on
# and a plain build leaves off: other compilers, and other optimisation
# levels of this one, may warn where CI's build does not.
function(orvex_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${ORVEX_WERROR}>:-Werror>)
endfunction()
