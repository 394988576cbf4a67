#!/usr/bin/env bash
# The link's figures under Wine: load-all of M01 into one simulated unit that takes each byte's
# wire time at 57600 baud (10 bits a byte), by the Linux program over the unit's
# pseudo-terminal and over TCP, and by the packaged Windows command line under Wine over a COM
# port mapped to that pseudo-terminal and over TCP. Prints each time (the best of RUNS), the
# wire time of the bytes one run exchanges (counted in the unit's trace), the ratios against
# the targets (1.10 x the wire time, 1.05 x the Linux program), Wine's own start-up and the
# installer's size (under 40 MB).
#
#   bench/wine_link_figures.sh [RUNS]        RUNS defaults to 3
#
# Needs build/velaupdate (scripts/build) and build-windows/stage (scripts/package-windows).
# The port is VELA_BENCH_COM (default COM5): COM1..COM4 are refused, since a new Wine prefix
# maps COM1 to this machine's real serial port. Only loopback is used.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
baud=57600
native=$PWD/build/velaupdate
windows=$PWD/build-windows/stage/bin/velaupdate.com
say() { echo "wine_link_figures: $*" >&2; }
[ -x "$native" ] || { say "$native is missing: run scripts/build"; exit 1; }
[ -f "$windows" ] || { say "$windows is missing: run scripts/package-windows"; exit 1; }
port=${VELA_BENCH_COM:-COM5}
case "${port^^}" in
COM[1-4]) say "$port may be a real serial port: use COM5 or above"; exit 2 ;;
COM[0-9]*) ;;
*) say "VELA_BENCH_COM must name a port COM5 or above, not $port"; exit 2 ;;
esac

export WINEPREFIX=$PWD/build-windows/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
link=$WINEPREFIX/dosdevices/${port,,}
if [ -e "$link" ] || [ -L "$link" ]; then say "$link exists already; not replacing it"; exit 2; fi

work=$(mktemp -d)
sim=
cleanup() {
    rm -f "$link"
    # Wine's server holds the pseudo-terminal it opened for the port: it ends before the unit.
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$sim" ] && kill "$sim" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Wine's server stays up between the runs, as Windows is up before a program starts.
mkdir -p "$WINEPREFIX"
wineserver -p
if [ -f "$WINEPREFIX/system.reg" ]; then wine cmd.exe /c exit; else wineboot -i; fi >/dev/null 2>&1

"$native" sim --pty --tcp 0 --baud "$baud" --trace "$work/trace" >"$work/sim.out" 2>"$work/sim.err" &
sim=$!
for _ in $(seq 200); do grep -q '^TCP ' "$work/sim.out" && break; sleep 0.05; done
pty=$(sed -n 's/^PTY //p' "$work/sim.out")
tcp=$(sed -n 's/^TCP //p' "$work/sim.out")
[ -n "$pty" ] && [ -n "$tcp" ] || { say "the simulated unit did not start:"; cat "$work/sim.out" "$work/sim.err" >&2; exit 1; }
ln -s "$pty" "$link"

# Times a command and keeps the shortest time under NAME; a failed run ends the benchmark.
declare -A best
timed() {
    local name=$1 start=$EPOCHREALTIME t
    shift
    "$@" >"$work/run.out" 2>&1 </dev/null || { say "failed: $*"; cat "$work/run.out" >&2; exit 1; }
    t=$(echo "$EPOCHREALTIME - $start" | bc)
    if [ -z "${best[$name]:-}" ] || [ "$(echo "$t < ${best[$name]}" | bc)" = 1 ]; then best[$name]=$t; fi
}
load=(--yes --force load-all --model M01)
bytes=
for ((i = 0; i < runs; i++)); do
    timed linux_pty "$native" --usb "$pty" "${load[@]}"
    # One run's bytes, both ways, as the unit traced them.
    [ -n "$bytes" ] || bytes=$(grep -o '"\(host\|unit\)":"[0-9a-f ]*"' "$work/trace" | cut -d'"' -f4 | wc -w)
    timed wine_com wine "$windows" --usb "$port" "${load[@]}"
    timed linux_tcp "$native" --ethernet "$tcp" "${load[@]}"
    timed wine_tcp wine "$windows" --ethernet "$tcp" "${load[@]}"
    timed wine_start wine "$windows" --version
done

wire=$(echo "scale=3; $bytes * 10 / $baud" | bc)
ratio() { echo "scale=3; $1 / $2" | bc; }
verdict() { [ "$(echo "$1 <= $2" | bc)" = 1 ] && echo "ok" || echo "OVER"; }
row() { # name, time, Linux time or nothing
    local w l=""
    w=$(ratio "$2" "$wire")
    [ -n "${3:-}" ] && l=$(printf '%6s x Linux (<= 1.05 %s)' "$(ratio "$2" "$3")" "$(verdict "$(ratio "$2" "$3")" 1.05)")
    printf '%-16s %7.3f s %6s x wire (<= 1.10 %s) %s\n' "$1" "$2" "$w" "$(verdict "$w" 1.10)" "$l"
}
printf 'load-all --model M01 at %d baud, best of %d runs\n' "$baud" "$runs"
printf '%-16s %7.3f s (%d bytes both ways, 10 bits a byte)\n' "wire time" "$wire" "$bytes"
row "Linux serial" "${best[linux_pty]}"
row "Wine $port" "${best[wine_com]}" "${best[linux_pty]}"
row "Linux TCP" "${best[linux_tcp]}"
row "Wine TCP" "${best[wine_tcp]}" "${best[linux_tcp]}"
printf '%-16s %7.3f s (velaupdate.com --version)\n' "Wine start-up" "${best[wine_start]}"
setup=$(ls build-windows/VELAupdate-*-setup.exe 2>/dev/null | head -1 || true)
if [ -n "$setup" ]; then
    size=$(stat -L -c %s "$setup")
    printf '%-16s %7.1f MB (<= 40 %s) %s\n' "installer" "$(echo "scale=1; $size / 1048576" | bc)" \
        "$(verdict "$size" $((40 * 1048576)))" "$(basename "$setup")"
else
    printf '%-16s not built (scripts/package-windows)\n' "installer"
fi
