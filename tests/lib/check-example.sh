#!/usr/bin/env bash
# Installs the runtime and development files into a scratch folder, builds
# docs/example.c against them with pkg-config as a user would, and compares
# what it prints with tovrik-split.
#   check-example.sh BUILD_DIR SCRATCH_DIR SOURCE_DIR TOVRIK_SPLIT VERSION [CFLAGS...]
set -euo pipefail
build="$1"
scratch="$2"
source="$3"
split="$4"
version="$5"
shift 5

rm -rf "$scratch"
for component in runtime dev; do
  cmake --install "$build" --prefix "$scratch" --component "$component" >/dev/null
done
pc="$(find "$scratch" -name tovrik.pc)"
[ -n "$pc" ] || { echo "FAIL: no tovrik.pc installed" >&2; exit 1; }
export PKG_CONFIG_PATH="$(dirname "$pc")"
[ "$(pkg-config --modversion tovrik)" = "$version" ] \
  || { echo "FAIL: pkg-config says version $(pkg-config --modversion tovrik)" >&2; exit 1; }

# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Wpedantic -Werror "$@" -o "$scratch/example" "$source/docs/example.c" \
  $(pkg-config --cflags --libs tovrik)
export LD_LIBRARY_PATH="$(pkg-config --variable=libdir tovrik)"
# The example finds the library it was built against, not the build tree's.
# (ldd's output is kept first: grep -q stops reading at its match, and under
# pipefail the pipe that cuts ldd short would fail the check.)
libraries="$(ldd "$scratch/example")"
grep -q "$scratch/.*libtovrik.so.1" <<<"$libraries" \
  || { echo "FAIL: the example does not load the installed libtovrik.so.1" >&2; echo "$libraries" >&2; exit 1; }
/usr/bin/python3 "$source/tests/lib/example_vs_cli.py" "$scratch/example" "$split"
