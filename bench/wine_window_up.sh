#!/usr/bin/env bash
# How long the Windows program takes to show its window under Wine: from `wine velaupdate.exe
# --sim` to its first window mapped on an Xvfb screen. The program runs from its installed tree,
# in the prefix build-windows/wine-prefix with Wine's server already up, as Windows is before a
# program starts. Prints each start's time and their median; the aim is 3 s.
#   bench/wine_window_up.sh [STARTS]   (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
starts=${1:-5}
[ -f build/build.ninja ] || scripts/build >/dev/null
cmake --build build --target factory_libraries >/dev/null
scripts/build-windows velaupdate velaupdate_console >/dev/null
tree=$(mktemp -d)
cmake --install build-windows --prefix "$tree" --strip >/dev/null

export WINEPREFIX=$PWD/build-windows/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec 3< <(Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>&1 2>/dev/null & echo "$!")
read -r xvfb <&3
read -r display <&3
export DISPLAY=:$display
mkdir -p "$WINEPREFIX"
# A server already up for this prefix (another run's) is left as it is.
owner=0
wineserver -p 2>/dev/null && owner=1
trap '((owner)) && wineserver -k; kill "$xvfb"; rm -rf "$tree"' EXIT
if [ -f "$WINEPREFIX/system.reg" ]; then wine cmd.exe /c exit; else wineboot -i; fi >/dev/null 2>&1

mapped() { xdotool search --onlyvisible --classname '^velaupdate\.exe$' >/dev/null 2>&1; }
times=()
for ((i = 1; i <= starts; i++)); do
  begin=$(date +%s%N)
  wine "$tree/bin/velaupdate.exe" --sim >/dev/null 2>&1 &
  program=$!
  # Polled every 20 ms: xdotool's own --sync looks only every half second.
  until mapped; do
    kill -0 "$program" 2>/dev/null || { echo "wine_window_up: the program ended before its window showed" >&2; exit 1; }
    sleep 0.02
  done
  ms=$((($(date +%s%N) - begin) / 1000000))
  times+=("$ms")
  echo "start $i: window up after $ms ms"
  kill "$program"
  wait "$program" || true
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
echo "window up under Wine: median $median ms of $starts starts (aim: 3000 ms; load $(cut -d' ' -f1 /proc/loadavg))"
