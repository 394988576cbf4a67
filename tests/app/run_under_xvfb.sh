#!/usr/bin/env bash
# The installer's road under a real X server: starts Xvfb on a free display with the openbox
# window manager and a simulated unit on a pseudo-terminal, then runs the window tests on the
# xcb platform, the USB button and "Update M01" pressed with the mouse, and real key presses
# (xdotool): Alt+F4, Tab, stacking. The windows also open on a 1024 x 600 screen at 200 %.
# Then the program itself is closed by Alt+F4 and by its close icon and must end. Last, the
# Ethernet window's "Whole rig" updates a simulated rig. Exit 77 (skipped) only when Xvfb,
# openbox or xdotool is missing.
#   run_under_xvfb.sh VELAUPDATE APP_TESTS
set -euo pipefail
velaupdate=$1
app_tests=$2

for tool in Xvfb openbox xdotool xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/install-deps installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# start_display SCREEN: Xvfb of that size on a display it picks itself (-displayfd), so that
# test runs started at the same time never share one, with the openbox window manager, as on a
# desktop (it delivers Alt+F4 and its close as WM_DELETE_WINDOW). Sets $display.
start_display() {
    local fd="$work/display.$1"
    exec 3>"$fd"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp >"$work/xvfb.$1.log" 2>&1 &
    pids+=($!)
    exec 3>&-
    for _ in $(seq 400); do [ -s "$fd" ] && break; sleep 0.05; done
    display=$(head -n1 "$fd" 2>/dev/null || true)
    [ -n "$display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.$1.log"; exit 1; }
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
    DISPLAY=":$display" openbox --sm-disable >"$work/openbox.$1.log" 2>&1 &
    pids+=($!)
    # A loaded machine can take seconds to start it.
    for _ in $(seq 600); do
        DISPLAY=":$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    DISPLAY=":$display" xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' ||
        { echo "openbox did not start:"; cat "$work/openbox.$1.log"; exit 1; }
}

# A small screen at 200 %: every window inside it, its main controls reached (512 x 300).
start_display 1024x600x24
DISPLAY=":$display" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 WAYLAND_DISPLAY= \
    LSAN_OPTIONS="suppressions=$(dirname "$0")/xcb_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
    "$app_tests" --gtest_filter='Screen.*'

start_display 1280x1024x24

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
"$app_tests" --gtest_filter='UsbRoad.*:PtyRoad.*:LibraryWindow.*:Heartbeat.*:RealInput.*:Designer.*:WholeRig.*:EthernetWindowRig.*'

# The program itself: each way of closing ends the process within 10 s, with exit code 0.
# wait_window NAME: the id of the visible window of that title, once it shows.
wait_window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n1; }
ends_within() {
    local pid=$1
    for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }; sleep 0.05; done
    echo "the program did not end: $2"; kill "$pid"; return 1
}
start_program() {
    "$velaupdate" --sim --log "$work/run.log" >"$work/program.log" 2>&1 &
    program=$!
    pids+=("$program")
    main_window=$(wait_window VELAupdate)
    xdotool windowactivate --sync "$main_window"
}

start_program
xdotool key --clearmodifiers alt+F4
ends_within "$program" "Alt+F4 on the connection window"

start_program
eval "$(xdotool getwindowgeometry --shell "$main_window")"
xdotool mousemove --sync $((X + 470)) $((Y + 13)) click 1  # the close icon, top right
ends_within "$program" "the connection window's close icon"

start_program
eval "$(xdotool getwindowgeometry --shell "$main_window")"
xdotool mousemove --sync $((X + 179)) $((Y + 300)) click 1  # USB
library_window=$(wait_window "Library Maker")
xdotool windowactivate --sync "$library_window" key --clearmodifiers alt+F4
ends_within "$program" "Alt+F4 on the library window"
# The window logs where --log says.
grep -q "window closed" "$work/run.log" || { echo "the window did not log in --log FILE"; exit 1; }
echo "closing the program: ok"

# The designer's own command: band 1's handle of a factory preset (180 Hz, -3 dB on the
# equaliser's +-15 dB scale) dragged with the mouse up and to the right marks the preset changed
# in the title. (A new preset's bands are all bypassed: they have no handle to drag.)
cp "$(dirname "$velaupdate")/presets/M01/01-Flat.hdp" "$work/"
"$velaupdate" designer "$work/01-Flat.hdp" --sim >"$work/designer.log" 2>&1 &
designer=$!
pids+=("$designer")
designer_window=$(wait_window "Preset Designer - 01-Flat.hdp")
xdotool windowactivate --sync "$designer_window"
eval "$(xdotool getwindowgeometry --shell "$designer_window")"
xdotool mousemove --sync $((X + 458)) $((Y + 306)) mousedown 1
xdotool mousemove --sync $((X + 500)) $((Y + 290)) mousemove --sync $((X + 560)) $((Y + 275)) mouseup 1
timeout 15 xdotool search --sync --onlyvisible --name '^Preset Designer - 01-Flat.hdp \*$' >/dev/null ||
    { echo "the drag did not change the preset"; exit 1; }
kill "$designer"
echo "dragging a band in the designer: ok"

# The whole rig: two simulated cabinets on loopback. The Ethernet window's "Whole rig" scans
# them, "Update all" loads both at once, and the run log has a completed section for each.
"$velaupdate" sim --rig 2 --rig-models M09,M02 --udp 0 >"$work/rig.out" 2>&1 &
pids+=($!)
for _ in $(seq 200); do [ "$(grep -c '^TCP ' "$work/rig.out")" = 2 ] && break; sleep 0.05; done
udp=$(sed -n 's/^UDP 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$work/rig.out")
tcp=$(sed -n 's/^TCP 127\.0\.0\.2:\([0-9]*\) .*/\1/p' "$work/rig.out")
[ -n "$udp" ] && [ -n "$tcp" ] || { echo "the simulated rig did not start:"; cat "$work/rig.out"; exit 1; }
"$velaupdate" --sim --broadcast 127.0.0.1 --port "$udp" --tcp-port "$tcp" --log "$work/rig.log" \
    >"$work/rig-program.log" 2>&1 &
program=$!
pids+=("$program")
# within NAME: the id of the visible window of that title, failing after 30 s.
within() {
    local id
    id=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1) || true
    [ -n "$id" ] || { echo "no window $1 appeared" >&2; return 1; }
    echo "$id"
}
main_window=$(within VELAupdate)
xdotool windowactivate --sync "$main_window"
eval "$(xdotool getwindowgeometry --shell "$main_window")"
xdotool mousemove --sync $((X + 310)) $((Y + 300)) click 1  # ETHERNET
ethernet_window=$(within ETHERNET)
# It may still be placed beside the connection window: its place is read once it settled.
sleep 1
xdotool windowactivate --sync "$ethernet_window"
eval "$(xdotool getwindowgeometry --shell "$ethernet_window")"
xdotool mousemove --sync $((X + 393)) $((Y + 68)) click 1  # Whole rig
rig_window=$(within "WHOLE RIG")
eval "$(xdotool getwindowgeometry --shell "$rig_window")"
# "Update all" is enabled once the scan has listed the cabinets; a click before does nothing.
for _ in $(seq 120); do
    grep -q 'outcome: ' "$work/rig.log" 2>/dev/null && break
    xdotool mousemove --sync $((X + 560)) $((Y + 410)) click 1  # Update all
    sleep 0.5
done
for _ in $(seq 120); do [ "$(grep -c 'outcome: ' "$work/rig.log")" -ge 2 ] && break; sleep 0.5; done
[ "$(grep -c '\] outcome: completed' "$work/rig.log")" = 2 ] ||
    { echo "the whole rig was not updated:"; grep 'outcome' "$work/rig.log"; exit 1; }
# The run's message (a box titled as the program) says so; Enter answers it, and the program
# still closes.
box=""
for _ in $(seq 60); do
    box=$(xdotool search --onlyvisible --name '^VELAupdate$' 2>/dev/null | grep -vx "$main_window" | head -n1 || true)
    [ -n "$box" ] && break
    sleep 0.5
done
[ -n "$box" ] || { echo "the whole rig's run ended without its message"; exit 1; }
xdotool windowactivate --sync "$box" key --clearmodifiers Return
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^VELAupdate$' 2>/dev/null | grep -qx "$box" || break
    sleep 0.05
done
# The Ethernet road left the library window in place of the connection window.
library_window=$(within "Library Maker")
xdotool windowactivate --sync "$library_window" key --clearmodifiers alt+F4
ends_within "$program" "Alt+F4 on the library window after the whole rig's run"
echo "whole rig: ok"
