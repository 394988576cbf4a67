#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it into a scratch root and checks that
# every file is in its place and that the installed program finds its factory data when run
# from another directory. Exit 77 (skipped) where dpkg-deb is missing.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
command -v dpkg-deb >/dev/null || { echo "dpkg-deb not found: skipped"; exit 77; }
command -v cpack >/dev/null || { echo "cpack not found: skipped"; exit 77; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vela-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $scratch/out"
deb=${debs[0]}
[ "$(dpkg-deb -f "$deb" Package)" = velaupdate ] || fail "package name"
dpkg-deb -f "$deb" Depends | grep -q libqt6 || fail "Depends does not name Qt: $(dpkg-deb -f "$deb" Depends)"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/velaupdate \
         usr/share/applications/velaupdate.desktop \
         usr/share/icons/hicolor/scalable/apps/velaupdate.svg \
         usr/share/man/man1/velaupdate.1.gz \
         usr/lib/udev/rules.d/70-velaupdate.rules; do
  [ -s "$root/$f" ] || fail "missing $f"
done
for recipe in "$(dirname "$0")"/../../resources/factory/*.presets; do
  model=$(basename "$recipe" .presets)
  [ -s "$root/usr/share/velaupdate/libraries/$model.HLB" ] || fail "missing the library $model.HLB"
  ls "$root/usr/share/velaupdate/presets/$model/"*.hdp >/dev/null 2>&1 || fail "missing the preset files of $model"
done
[ -x "$root/usr/bin/velaupdate" ] || fail "velaupdate is not executable"

grep -q '^Exec=velaupdate$' "$root/usr/share/applications/velaupdate.desktop" || fail "desktop Exec"
grep -q '^Icon=velaupdate$' "$root/usr/share/applications/velaupdate.desktop" || fail "desktop Icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/velaupdate.desktop" || fail "desktop file not valid"
fi
rule=$root/usr/lib/udev/rules.d/70-velaupdate.rules
grep -q 'ATTRS{idVendor}=="0403".*TAG+="uaccess"' "$rule" || fail "udev rule: uaccess for the FTDI bridge"
grep -q 'ENV{ID_MM_DEVICE_IGNORE}="1"' "$rule" || fail "udev rule: ModemManager"
man=$(gzip -dc "$root/usr/share/man/man1/velaupdate.1.gz")
grep -q '^\.SS load-all' <<<"$man" || fail "man page lacks the load-all command"
grep -q 'choose the cabinet\|--model NAME' <<<"$man" || fail "man page lacks the load-all options"

# Run from a directory with no library in it: the program must find its own data.
mkdir "$scratch/elsewhere"
cd "$scratch/elsewhere"
show=$("$root/usr/bin/velaupdate" library show M02.HLB) || fail "library show M02.HLB: $show"
grep -q "^$root/usr/share/velaupdate/libraries/M02.HLB: " <<<"$show" || fail "library show read another file: $show"
grep -q '^model code 4 (M02)$' <<<"$show" || fail "the installed M02 library lacks its model code: $show"
run=$("$root/usr/bin/velaupdate" --sim --quiet load-all --model M09 --json) || fail "load-all: $run"
grep -q '"complete":true' <<<"$run" || fail "load-all from the installed data: $run"
echo "package ok: $(basename "$deb"), $(dpkg-deb -c "$deb" | wc -l) entries"
