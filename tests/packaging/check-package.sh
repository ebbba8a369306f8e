#!/usr/bin/env bash
# Builds the Debian packages from a finished build folder and checks them:
# tovrik (the programs), libtovrik1 (the shared library), libtovrik-dev (its
# header, .so link and pkg-config file) and python3-tovrik (the Python
# module): what dpkg lists in each, their control fields, and that what they
# unpack runs, builds and imports.
#   check-package.sh BUILD_DIR SCRATCH_DIR VERSION SOURCE_DIR
set -euo pipefail

build="$1"
scratch="$2"
version="$3"
source="$4"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/root"

if ! (cd "$build" && cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake") >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack -G DEB failed" >&2
  exit 1
fi

shopt -s nullglob
debs=("$scratch"/out/*.deb)
arch="$(dpkg --print-architecture)"
multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)"
libdir="usr/lib/$multiarch"
names=(tovrik libtovrik1 libtovrik-dev python3-tovrik)
if [ ${#debs[@]} -ne ${#names[@]} ]; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: expected ${#names[@]} .deb files in $scratch/out, found ${#debs[@]}: ${debs[*]}" >&2
  exit 1
fi
declare -A deb
for name in "${names[@]}"; do
  deb[$name]="$scratch/out/${name}_${version}_${arch}.deb"
  if [ ! -f "${deb[$name]}" ]; then
    echo "FAIL: no ${name}_${version}_${arch}.deb among: ${debs[*]}" >&2
    exit 1
  fi
  echo "package: ${deb[$name]}"
  dpkg -c "${deb[$name]}" >"$scratch/contents-$name.txt"
done

# --- Contents -----------------------------------------------------------------
paths() { awk '{print $6}' "$scratch/contents-$1.txt" | sed 's|^\./||; s|/$||'; }
listed() { paths "$1" | grep -x -- "$2" >/dev/null; }
for path in \
  usr/bin/tovrik-split \
  usr/bin/tovrik \
  usr/lib/tovrik/tovrik \
  usr/lib/tovrik/HAND-M.CUR \
  usr/share/applications/io.quandrel.Tovrik.desktop \
  usr/share/metainfo/io.quandrel.Tovrik.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/io.quandrel.Tovrik.svg \
  usr/share/icons/hicolor/48x48/apps/io.quandrel.Tovrik.png \
  usr/share/icons/hicolor/256x256/apps/io.quandrel.Tovrik.png; do
  listed tovrik "$path" || fail "dpkg -c tovrik does not list $path"
done
for page in tovrik tovrik-split; do # a page for each program
  if ! listed tovrik "usr/share/man/man1/$page.1.gz" && ! listed tovrik "usr/share/man/man1/$page.1"; then
    fail "dpkg -c tovrik does not list the $page manual page"
  fi
done
for path in "$libdir/libtovrik.so.1" "$libdir/libtovrik.so.$version"; do
  listed libtovrik1 "$path" || fail "dpkg -c libtovrik1 does not list $path"
done
for path in usr/include/tovrik/tovrik.h "$libdir/libtovrik.so" "$libdir/pkgconfig/tovrik.pc"; do
  listed libtovrik-dev "$path" || fail "dpkg -c libtovrik-dev does not list $path"
done
listed python3-tovrik usr/lib/python3/dist-packages/tovrik.pyi \
  || fail "dpkg -c python3-tovrik does not list the type stubs tovrik.pyi"
paths python3-tovrik | grep -x 'usr/lib/python3/dist-packages/tovrik\.cpython-[0-9]*-.*\.so' >/dev/null \
  || fail "dpkg -c python3-tovrik does not list the module: $(paths python3-tovrik | tr '\n' ' ')"
# Each file in the one package it belongs to (a Python module is a .so).
for name in tovrik libtovrik1 python3-tovrik; do
  if paths "$name" | grep -v '^usr/lib/python3/dist-packages/tovrik\.cpython-' |
    grep -E '(/include/|\.a$|\.pc$|\.so$|tests?/|bench)'; then
    fail "$name holds development, build or test files (listed above)"
  fi
done
if paths tovrik | grep -E 'libtovrik|python'; then
  fail "the program package holds the library or the module (listed above)"
fi
if paths libtovrik-dev | grep -E '\.so\.|tests?/|bench|python'; then
  fail "libtovrik-dev holds more than the development files (listed above)"
fi
grep -q ' \./usr/bin/tovrik -> \.\./lib/tovrik/tovrik$' "$scratch/contents-tovrik.txt" \
  || fail "usr/bin/tovrik is not the relative link ../lib/tovrik/tovrik: $(grep ' ./usr/bin/tovrik' "$scratch/contents-tovrik.txt" | head -1)"
grep -q " \./$libdir/libtovrik\.so -> libtovrik\.so\.1\$" "$scratch/contents-libtovrik-dev.txt" \
  || fail "libtovrik.so is not the link to libtovrik.so.1"

# --- Control fields -------------------------------------------------------------
field() { dpkg-deb -f "${deb[$1]}" "$2"; }
for name in "${names[@]}"; do
  [ "$(field "$name" Package)" = "$name" ] || fail "Package of $name is '$(field "$name" Package)'"
  [ "$(field "$name" Version)" = "$version" ] || fail "Version of $name is '$(field "$name" Version)', wanted $version"
  [ "$(field "$name" Maintainer)" = "Quandrel <support@quandrel.example>" ] || fail "Maintainer of $name is '$(field "$name" Maintainer)'"
  [ -n "$(field "$name" Description)" ] || fail "$name has no Description"
done
[ "$(field tovrik Section)" = utils ] || fail "Section of tovrik is '$(field tovrik Section)'"
[ "$(field libtovrik1 Section)" = libs ] || fail "Section of libtovrik1 is '$(field libtovrik1 Section)'"
[ "$(field libtovrik-dev Section)" = libdevel ] || fail "Section of libtovrik-dev is '$(field libtovrik-dev Section)'"
[ "$(field python3-tovrik Section)" = python ] || fail "Section of python3-tovrik is '$(field python3-tovrik Section)'"
grep -qw libreoffice-calc <<<"$(field tovrik Recommends)" || fail "Recommends lacks libreoffice-calc: '$(field tovrik Recommends)'"
# dpkg-shlibdeps found the libraries the programs and the library link.
grep -qw libqt6core6 <<<"$(field tovrik Depends)" || fail "tovrik Depends lacks libqt6core6 (shlibdeps): '$(field tovrik Depends)'"
# ICU is loaded when first needed, so it is named outright.
for name in tovrik libtovrik1; do
  grep -qw libicu72 <<<"$(field "$name" Depends)" || fail "$name Depends lacks libicu72: '$(field "$name" Depends)'"
done
for name in libtovrik-dev python3-tovrik; do
  grep -qF "libtovrik1 (= $version)" <<<"$(field "$name" Depends)" \
    || fail "$name does not depend on libtovrik1 (= $version): '$(field "$name" Depends)'"
done
grep -qw python3 <<<"$(field python3-tovrik Depends)" || fail "python3-tovrik does not depend on python3"
[ "$(dpkg-deb --ctrl-tarfile "${deb[libtovrik1]}" | tar -xO ./shlibs 2>/dev/null)" = "libtovrik 1 libtovrik1 (>= $version)" ] \
  || fail "libtovrik1 has no shlibs entry for libtovrik.so.1"

# --- Unpacked -------------------------------------------------------------------
root="$scratch/root"
for name in "${names[@]}"; do
  dpkg -x "${deb[$name]}" "$root"
done

[ -f "$root/usr/lib/tovrik/HAND-M.CUR" ] || fail "unpacked usr/lib/tovrik has no HAND-M.CUR"
cmp -s "$root/usr/lib/tovrik/HAND-M.CUR" "$source/assets/HAND-M.CUR" \
  || fail "unpacked HAND-M.CUR differs from assets/HAND-M.CUR"
[ "$(readlink -f "$root/usr/bin/tovrik")" = "$(readlink -f "$root/usr/lib/tovrik/tovrik")" ] \
  || fail "usr/bin/tovrik does not lead to usr/lib/tovrik/tovrik"
[ -x "$root/usr/lib/tovrik/tovrik" ] || fail "usr/lib/tovrik/tovrik is not executable"
case "$(file -b "$root/usr/lib/tovrik/tovrik")" in
  ELF*executable*) ;;
  *) fail "usr/lib/tovrik/tovrik is not an ELF program: $(file -b "$root/usr/lib/tovrik/tovrik")" ;;
esac

desktop="$root/usr/share/applications/io.quandrel.Tovrik.desktop"
desktop-file-validate "$desktop" || fail "the installed desktop entry does not validate"
grep -qx 'Exec=tovrik' "$desktop" || fail "desktop entry does not run tovrik"
icon="$(sed -n 's/^Icon=//p' "$desktop")"
[ -f "$root/usr/share/icons/hicolor/256x256/apps/$icon.png" ] || fail "desktop Icon=$icon has no installed icon"

if [ -f "$root/usr/share/man/man1/tovrik-split.1.gz" ]; then
  gzip -dc "$root/usr/share/man/man1/tovrik-split.1.gz" | cmp -s - "$source/docs/tovrik-split.1" \
    || fail "the packaged manual page is not docs/tovrik-split.1"
fi

# The unpacked tovrik-split runs and cuts a sample.
split="$root/usr/bin/tovrik-split"
printf 'Hello world.\0 Bye.\0' >"$scratch/expected"
if printf 'Hello world. Bye.' | env -u LD_LIBRARY_PATH "$split" --limit 5 --mode period --null >"$scratch/actual"; then
  cmp -s "$scratch/expected" "$scratch/actual" \
    || fail "unpacked tovrik-split cut the sample as $(od -c "$scratch/actual" | head -3)"
else
  fail "unpacked tovrik-split exited $?"
fi
# ... and cuts in SMS units itself.
if ! printf 'Hello' | env -u LD_LIBRARY_PATH "$split" --sms --json | grep -F '"segments":1' >/dev/null; then
  fail "unpacked tovrik-split --sms --json did not answer"
fi
if [ "$(env -u LD_LIBRARY_PATH "$split" --version)" != "tovrik-split $version" ]; then
  fail "unpacked tovrik-split --version says '$(env -u LD_LIBRARY_PATH "$split" --version)'"
fi

# The library: its name, and nothing but the interface exported.
lib="$root/$libdir/libtovrik.so.1"
[ "$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')" = libtovrik.so.1 ] \
  || fail "the packaged library's SONAME is not libtovrik.so.1"
if nm -D --defined-only "$lib" | awk '$2 != "A" {print $3}' | grep -v '^tovrik_'; then
  fail "the packaged library exports more than tovrik_ functions (listed above)"
fi
cmp -s "$root/usr/include/tovrik/tovrik.h" "$source/include/tovrik/tovrik.h" \
  || fail "the packaged header is not include/tovrik/tovrik.h"

# A build with AddressSanitizer (make sanitize) packages a sanitized library:
# what links it is built the same way, and Python loads the runtime first.
sanitize_flags=()
python_env=()
if readelf -d "$lib" | grep 'NEEDED.*libasan' >/dev/null; then
  sanitize_flags=(-fsanitize=address,undefined)
  python_env=("LD_PRELOAD=$(cc -print-file-name=libasan.so) libstdc++.so.6" ASAN_OPTIONS=detect_leaks=0)
fi

# docs/example.c built against the unpacked development files, as a user
# would with pkg-config, cuts as the unpacked tovrik-split does.
export PKG_CONFIG_PATH="$root/$libdir/pkgconfig"
if [ "$(pkg-config --modversion tovrik 2>&1)" != "$version" ]; then
  fail "pkg-config --modversion tovrik says '$(pkg-config --modversion tovrik 2>&1)'"
# shellcheck disable=SC2046
elif ! cc -std=c11 -Wall -Wextra -Werror "${sanitize_flags[@]}" -o "$scratch/example" "$source/docs/example.c" \
       $(pkg-config --cflags --libs tovrik); then
  fail "docs/example.c does not build against the unpacked libtovrik-dev"
else
  m='Flash sale 😀 everything is half price until midnight. Bring a friend, and show this text at the till.'
  got="$(printf '%s' "$m" | LD_LIBRARY_PATH="$root/$libdir" "$scratch/example" sms space 0 | sed -n 's/^part [0-9]*: .*bytes: //p')"
  want="$(printf '%s' "$m" | env -u LD_LIBRARY_PATH "$split" --sms)"
  [ -n "$got" ] && [ "$got" = "$want" ] || fail "the example against the packages cut '$got', tovrik-split '$want'"
fi

# The Python module imports from the unpacked packages with Debian's python3
# and cuts as tovrik-split does.
if readelf -d "$root"/usr/lib/python3/dist-packages/tovrik.cpython-*.so | grep -E 'R(UN)?PATH'; then
  fail "the packaged module carries a search path (above)"
fi
got="$(env "${python_env[@]}" LD_LIBRARY_PATH="$root/$libdir" PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -c '
import json, os, sys, tovrik
assert os.path.dirname(tovrik.__file__) == sys.argv[1], tovrik.__file__
print(json.dumps(tovrik.sms(sys.argv[2], concat=False).to_dict(), ensure_ascii=False, separators=(",", ":")))
' "$root/usr/lib/python3/dist-packages" "Hi Ann 😀, see you at 5")" || fail "python3 cannot import tovrik from python3-tovrik"
want="$(printf '%s' "Hi Ann 😀, see you at 5" | env -u LD_LIBRARY_PATH "$split" --sms --json | sed 's/^{"id":null,/{/')"
[ "$got" = "$want" ] || fail "the packaged module cut '$got', tovrik-split '$want'"

if [ "$failures" -ne 0 ]; then
  echo "$failures package check(s) failed; package left in $scratch" >&2
  exit 1
fi
rm -rf "$scratch"
echo "package checks passed"
