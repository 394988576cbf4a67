#!/usr/bin/env bash
# The command line copied into a folder whose name has letters outside ASCII (as a portable copy
# under a user's own folder may be) finds the factory library installed beside it. Runs in the
# Wine prefix of scripts/test-windows.
#   non_ascii_folder_test.sh VELAUPDATE.COM LIBRARIES_FOLDER
set -euo pipefail
program=$1 libraries=$2
: "${WINEPREFIX:?the Wine prefix of scripts/test-windows}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/Präsets Ω"
mkdir -p "$tree/bin" "$tree/share/velaupdate/libraries"
cp "$program" "$tree/bin/velaupdate.com"
cp "$libraries/M01.HLB" "$tree/share/velaupdate/libraries/"
# From the tree's top, where no M01.HLB is: only the installed one can be found.
cd "$tree"
output=$(wine bin/velaupdate.com library show M01.HLB --json 2>&1 </dev/null | tr -d '\r') ||
  { echo "FAIL: library show M01.HLB: $output"; exit 1; }
echo "$output" | grep -qF 'Präsets Ω\\share\\velaupdate\\libraries\\M01.HLB' ||
  { echo "FAIL: not the installed library: $output"; exit 1; }
echo "found $(echo "$output" | grep -o '"file": *"[^"]*"')"
