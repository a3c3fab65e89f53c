#!/usr/bin/env bash
# Idle CPU use and resident memory of orbelle next to a bare Qt window, both on a private Xvfb.
#
#   scripts/orbelle-perf.sh [BUILD_DIR]      (default: build at the top of the repository)
#
# BUILD_DIR must hold bin/orbelle and bin/bare_window (configure with -DQUELMAR_BENCH=ON).
# Each program is started alone, left to settle, then watched for PERF_SECONDS (default 60):
# CPU is (utime + stime) from /proc/<pid>/stat over that time, memory is VmRSS at the end.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${PERF_SECONDS:-60}
settle=${PERF_SETTLE:-3}
orbelle=$build/bin/orbelle
bare=$build/bin/bare_window

for program in "$orbelle" "$bare"; do
    [[ -x $program ]] || { echo "$0: $program is missing (build it first)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "$0: Xvfb is missing" >&2; exit 1; }

xvfb_pid=
program_pid=
runtime=$(mktemp -d)
cleanup() {
    if [[ -n $program_pid ]]; then kill "$program_pid" 2>/dev/null || true; wait "$program_pid" 2>/dev/null || true; fi
    if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$runtime"
}
trap cleanup EXIT

display=
for n in $(seq 190 290); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    if kill -0 "$xvfb_pid" 2>/dev/null; then display=":$n"; break; fi
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
[[ -n $display ]] || { echo "$0: could not start Xvfb" >&2; exit 1; }

ticks_per_second=$(getconf CLK_TCK)

# utime + stime in clock ticks; the command name in field 2 may hold blanks, so cut after ')'.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }

measure() {
    local name=$1 program=$2 before after start end
    # Own runtime folder: orbelle's single-instance lock must not meet a copy the user runs.
    env -u WAYLAND_DISPLAY DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime" \
        "$program" &
    program_pid=$!
    sleep "$settle"
    kill -0 "$program_pid" 2>/dev/null || { echo "$0: $name ended early" >&2; exit 1; }
    before=$(cpu_ticks "$program_pid")
    start=$(date +%s.%N)
    sleep "$seconds"
    after=$(cpu_ticks "$program_pid")
    end=$(date +%s.%N)
    local rss
    rss=$(rss_kib "$program_pid")
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
    program_pid=
    awk -v n="$name" -v t="$((after - before))" -v hz="$ticks_per_second" -v s="$start" \
        -v e="$end" -v r="$rss" 'BEGIN {
            printf "%-12s idle CPU %.3f%% of a core (%d ticks in %.1f s)   RSS %.1f MiB\n",
                   n, 100 * t / hz / (e - s), t, e - s, r / 1024 }'
}

echo "idle over ${seconds} s on Xvfb $display, after ${settle} s to settle"
measure orbelle "$orbelle"
measure bare_window "$bare"
