#!/usr/bin/env bash
# The installer as an installer uses it, under Wine: a silent install with the command line on
# PATH, the installed command line loading M01 into the simulated unit and verifying it, then a
# silent uninstall that leaves nothing behind (files, Start-menu entry, Apps & features entry,
# PATH). Runs in the Wine prefix of scripts/test-windows.
#   installer_test.sh SETUP.EXE
set -euo pipefail
setup=$1
: "${WINEPREFIX:?the Wine prefix of scripts/test-windows}"
unix="$WINEPREFIX/drive_c/Program Files/VELAupdate"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VELAupdate.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VELAupdate'
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
fail() { echo "FAIL: $*"; exit 1; }
registry_path() { wine reg query "$environment" /v Path 2>/dev/null | tr -d '\r' | grep -i ' Path ' || true; }

[ -f "$setup" ] || fail "no installer at $setup (scripts/package-windows makes it)"
[ ! -e "$unix" ] || fail "an earlier install is in the way: $unix"

wine "$setup" /S /ADDTOPATH || fail "the silent install ended with $?"
for f in bin/velaupdate.exe bin/velaupdate.com bin/Qt6Core.dll bin/platforms/qwindows.dll \
         share/velaupdate/libraries/M01.HLB uninstall.exe; do
  [ -f "$unix/$f" ] || fail "not installed: $f"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
wine reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "no Apps & features entry"
registry_path | grep -qi 'VELAupdate\\bin' || fail "the command line is not on PATH: $(registry_path)"

# The installed command line, as typed in a console: cmd finds velaupdate.com first on PATH.
output=$(wine cmd /c 'velaupdate --sim --yes load-all --model M01 --verify' 2>&1 </dev/null | tr -d '\r') ||
  fail "load-all through the installed command line: $output"
echo "$output" | tail -n 3

wine "$unix/uninstall.exe" /S
# The uninstaller runs from a copy of itself, which ends later; the Apps & features entry goes last.
for _ in $(seq 1 120); do
  if [ ! -e "$unix" ] && ! wine reg query "$key" >/dev/null 2>&1; then break; fi
  sleep 0.5
done
[ ! -e "$unix" ] || fail "left behind: $(cd "$unix" && find . | head -n 20)"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
! wine reg query "$key" >/dev/null 2>&1 || fail "the Apps & features entry is left"
! registry_path | grep -qi 'VELAupdate' || fail "PATH still names the program: $(registry_path)"
echo "installed, loaded M01, uninstalled: nothing left"
