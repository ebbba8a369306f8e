#!/usr/bin/env bash
# Builds the Debian package from a finished build folder and checks it:
# what dpkg lists in it, its control fields, and that what it unpacks runs.
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
if [ ${#debs[@]} -ne 1 ]; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: expected one .deb in $scratch/out, found ${#debs[@]}" >&2
  exit 1
fi
deb="${debs[0]}"
echo "package: $deb"

# --- Contents -----------------------------------------------------------------
dpkg -c "$deb" >"$scratch/contents.txt"
listed() { awk '{print $6}' "$scratch/contents.txt" | sed 's|^\./||; s|/$||' | grep -qx -- "$1"; }
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
  listed "$path" || fail "dpkg -c does not list $path"
done
if ! listed usr/share/man/man1/tovrik-split.1.gz && ! listed usr/share/man/man1/tovrik-split.1; then
  fail "dpkg -c does not list the tovrik-split manual page"
fi
# Nothing from the build tree or the tests sneaks in.
if awk '{print $6}' "$scratch/contents.txt" | grep -E '(/include/|\.a$|tests?/|bench)'; then
  fail "the package holds build or test files (listed above)"
fi
grep -q ' \./usr/bin/tovrik -> \.\./lib/tovrik/tovrik$' "$scratch/contents.txt" \
  || fail "usr/bin/tovrik is not the relative link ../lib/tovrik/tovrik: $(grep ' ./usr/bin/tovrik' "$scratch/contents.txt" | head -1)"

# --- Control fields -------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tovrik ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', wanted $version"
[ "$(field Maintainer)" = "Quandrel <support@quandrel.example>" ] || fail "Maintainer is '$(field Maintainer)'"
[ "$(field Section)" = utils ] || fail "Section is '$(field Section)'"
grep -qw libreoffice-calc <<<"$(field Recommends)" || fail "Recommends lacks libreoffice-calc: '$(field Recommends)'"
# dpkg-shlibdeps found the Qt libraries the programs link.
grep -qw libqt6core6 <<<"$(field Depends)" || fail "Depends lacks libqt6core6 (shlibdeps): '$(field Depends)'"
[ -n "$(field Description)" ] || fail "no Description"

# --- Unpacked -------------------------------------------------------------------
root="$scratch/root"
dpkg -x "$deb" "$root"

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
if ! printf 'Hello' | env -u LD_LIBRARY_PATH "$split" --sms --json | grep -qF '"segments":1'; then
  fail "unpacked tovrik-split --sms --json did not answer"
fi
if [ "$(env -u LD_LIBRARY_PATH "$split" --version)" != "tovrik-split $version" ]; then
  fail "unpacked tovrik-split --version says '$(env -u LD_LIBRARY_PATH "$split" --version)'"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures package check(s) failed; package left in $scratch" >&2
  exit 1
fi
rm -rf "$scratch"
echo "package checks passed"
