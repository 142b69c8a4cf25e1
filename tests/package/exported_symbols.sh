#!/usr/bin/env bash
# exported_symbols.sh LIBRARY BOUND: the shared library exports at most BOUND
# symbols, every one of them the public API (namespace qzorvex) or the
# toolkit seam the Qt toolkit library builds on (orvex::ui), never the
# engine, the server layer or the automation object's insides.
set -euo pipefail
library=$1
bound=$2
symbols=$(nm -D --defined-only --demangle "$library" | awk '$2 ~ /^[TtDdBbRrVvWwuiG]$/ {$1=""; $2=""; print substr($0, 3)}')
count=$(grep -c . <<< "$symbols" || true)
echo "$library exports $count symbols (bound $bound)"
stray=$(grep -vE '(^|[ :(<,*&])(qzorvex|orvex::ui)::|^orvex::platform::ThreadLanguage\(|^(typeinfo|typeinfo name|vtable|VTT|construction vtable) for (qzorvex|orvex::ui)::|^_(init|fini)$' <<< "$symbols" || true)
if [[ -n $stray ]]; then
  echo "FAIL: exported beyond the public API:" >&2
  head -20 <<< "$stray" >&2
  exit 1
fi
if (( count > bound )); then
  echo "FAIL: $count exported symbols, more than $bound" >&2
  exit 1
fi
