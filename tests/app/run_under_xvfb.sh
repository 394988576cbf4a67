#!/usr/bin/env bash
# The installer's road under a real X server: starts Xvfb on a free display and a simulated
# unit on a pseudo-terminal, then runs the window tests on the xcb platform, the USB button
# and "Update M01" pressed with the mouse. Exit 77 (skipped) only when Xvfb is not installed.
#   run_under_xvfb.sh VELAUPDATE APP_TESTS
set -euo pipefail
velaupdate=$1
app_tests=$2

if ! command -v Xvfb >/dev/null; then
    echo "skipped: Xvfb is not installed (scripts/install-deps installs the xvfb package)"
    exit 77
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses: no lock file and no socket.
display=""
for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display between :90 and :140"; exit 1; }

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }

# The unit that reports model code 2 (an M01), on a pseudo-terminal.
"$velaupdate" sim --pty --model-code 2 >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q '^PTY ' "$work/sim.out" && break; sleep 0.05; done
pty=$(sed -n 's/^PTY //p' "$work/sim.out")
[ -n "$pty" ] || { echo "the simulated unit did not start:"; cat "$work/sim.out"; exit 1; }

export DISPLAY=":$display" QT_QPA_PLATFORM=xcb VELA_PTY_DEVICE="$pty"
# Under the sanitizers: what the desktop's libraries keep for the life of the process is theirs.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/xcb_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset WAYLAND_DISPLAY
"$app_tests" --gtest_filter='UsbRoad.*:PtyRoad.*:LibraryWindow.*:Heartbeat.*'
