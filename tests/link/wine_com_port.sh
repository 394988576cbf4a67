#!/usr/bin/env bash
# Runs the Windows build's link tests under Wine against the Linux build's simulated unit: its
# pseudo-terminal mapped to a COM port of the Wine prefix (the COM-port tests), and its TCP side
# behind the test double of the bridge maker's library (the D2XX road to the unit); then the
# Windows command line's load-all of M01 through that COM port.
#
#   tests/link/wine_com_port.sh [NATIVE_BUILD [WINDOWS_BUILD]] [-- gtest arguments]
#
# NATIVE_BUILD holds velaupdate (default build), WINDOWS_BUILD the cross build (default
# build-windows). WINEPREFIX and WINEPATH come from the caller, as scripts/test-windows sets
# them. The port is VELA_TEST_COM (default COM5); COM1..COM4 are refused, since a new prefix
# maps COM1 to this machine's real serial port.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
native=$root/build windows=$root/build-windows
if [ $# -gt 0 ] && [ "$1" != -- ]; then native=$1; shift; fi
if [ $# -gt 0 ] && [ "$1" != -- ]; then windows=$1; shift; fi
[ "${1:-}" = -- ] && shift
port=${VELA_TEST_COM:-COM5}
case "${port^^}" in
COM[1-4]) echo "wine_com_port.sh: $port may be a real serial port: use COM5 or above" >&2; exit 2 ;;
COM[0-9]*) ;;
*) echo "wine_com_port.sh: VELA_TEST_COM must name a port COM5 or above, not $port" >&2; exit 2 ;;
esac
: "${WINEPREFIX:?set WINEPREFIX to the prefix the tests run in}"
link=$WINEPREFIX/dosdevices/${port,,}
[ -e "$link" ] || [ -L "$link" ] && { echo "wine_com_port.sh: $link exists already; not replacing it" >&2; exit 2; }

work=$(mktemp -d)
sim=
cleanup() {
    rm -f "$link"
    if [ -z "$sim" ]; then rm -rf "$work"; return; fi
    # Wine's server took the pseudo-terminal for its controlling terminal when it opened the
    # port: ending the simulator before the server would hang the server up (which then prints
    # all its objects). The simulator ends once the server has, out of the caller's output.
    (wineserver -w; kill "$sim"; rm -rf "$work") </dev/null >/dev/null 2>&1 &
}
trap cleanup EXIT

# One simulated unit on a pseudo-terminal and on a TCP port of 127.0.0.1 chosen by the system.
"$native/velaupdate" sim --pty --tcp 0 >"$work/sim.out" 2>"$work/sim.err" &
sim=$!
for _ in $(seq 200); do grep -q '^TCP ' "$work/sim.out" && break; sleep 0.05; done
pty=$(sed -n 's/^PTY //p' "$work/sim.out")
tcp=$(sed -n 's/^TCP //p' "$work/sim.out")
if [ -z "$pty" ] || [ -z "$tcp" ]; then
    echo "wine_com_port.sh: the simulated unit did not start:" >&2
    cat "$work/sim.out" "$work/sim.err" >&2
    exit 1
fi
ln -s "$pty" "$link"

(cd "$windows/tests" && VELA_TEST_COM=$port VELA_TEST_SIM_TCP=$tcp wine link_tests.exe --gtest_filter='ComPort*:D2xx*' "$@")
# The main job through the Windows command line as packaged (scripts/package-windows stages it
# with the factory libraries), with the unit behind the COM port.
staged=$windows/stage/bin/velaupdate.com
[ -f "$staged" ] || { echo "wine_com_port.sh: $staged is missing: run scripts/package-windows first" >&2; exit 1; }
wine "$staged" --usb "$port" --yes --force load-all --model M01 --verify </dev/null
