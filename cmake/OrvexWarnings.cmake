# orvex_strict(target): the project's warning level for its own code.
# Warnings are errors with ORVEX_WERROR, which CI (scripts/test.sh) turns on
# and a plain build leaves off: other compilers, and other optimisation
# levels of this one, may warn where CI's build does not.
#
# GCC 12 at -O3 takes std::string copies inside the standard library's own
# inlined code for overlapping ones (-Wrestrict; GCC bugs 105329 and 105651,
# fixed in GCC 13). In a Release build with that compiler the warning is off.
#
# Clang also checks the lock annotations (docstore/mutex.h): a guarded member
# touched without its mutex is a warning, so an error in the fuzz build.
function(orvex_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wsign-conversion $<$<BOOL:${ORVEX_WERROR}>:-Werror>
    $<$<CXX_COMPILER_ID:Clang>:-Wthread-safety>
    "$<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>,$<CONFIG:Release>>:-Wno-restrict>")
endfunction()
