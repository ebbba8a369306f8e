#!/usr/bin/env bash
# The shared library exports exactly the functions its header declares, all
# in version TOVRIK_1, and carries the SONAME libtovrik.so.1.
#   check-symbols.sh LIBRARY HEADER
set -euo pipefail
library="$1"
header="$2"
failures=0

soname="$(readelf -d "$library" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')"
[ "$soname" = libtovrik.so.1 ] || { echo "FAIL: SONAME is '$soname'"; failures=$((failures + 1)); }

exported="$(nm -D --defined-only "$library" | awk '$2 != "A" {print $3}' | sort)"
declared="$(grep -v '^#' "$header" | grep -o 'TOVRIK_API [^(]*(' | sed 's/($//; s/.*[ *]//' | sort)"
wanted="$(sed 's/$/@@TOVRIK_1/' <<<"$declared")"
if [ "$exported" != "$wanted" ]; then
  echo "FAIL: exported symbols differ from the header's functions (< exported, > declared):"
  diff <(echo "$exported") <(echo "$wanted") || true
  failures=$((failures + 1))
fi
echo "$(wc -l <<<"$exported") symbols exported"
exit $((failures > 0))
