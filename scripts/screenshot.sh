#!/usr/bin/env bash
# Takes a screenshot of a program's window on a private virtual X display.
#
#   scripts/screenshot.sh OUTPUT.png PROGRAM [ARGS...]
#
# Starts Xvfb on a free display, starts PROGRAM there, waits until it maps a top-level window,
# lets it paint, saves that window (or the whole screen) as PNG and ends the program and Xvfb.
# Environment:
#   SCREENSHOT_SCREEN   screen size and depth of the virtual display (default 1024x768x24)
#   SCREENSHOT_SETTLE   seconds to wait after the window is mapped, for painting and timers
#                       (default 1.5)
#   SCREENSHOT_TIMEOUT  seconds to wait for the window to appear (default 30)
#   SCREENSHOT_WHOLE    1: save the whole screen instead of the window
# Needs: Xvfb, xwininfo (x11-utils), import (imagemagick).
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 OUTPUT.png PROGRAM [ARGS...]" >&2
    exit 2
fi
output=$1
shift

screen_spec=${SCREENSHOT_SCREEN:-1024x768x24}
settle=${SCREENSHOT_SETTLE:-1.5}
timeout=${SCREENSHOT_TIMEOUT:-30}
whole=${SCREENSHOT_WHOLE:-0}

for tool in Xvfb xwininfo import; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
done

xvfb_pid=
program_pid=
cleanup() {
    # Only the two processes this script started.
    if [[ -n $program_pid ]]; then kill "$program_pid" 2>/dev/null || true; wait "$program_pid" 2>/dev/null || true; fi
    if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# A display number nobody uses; Xvfb refuses a taken one, so try the next on failure.
display=
for n in $(seq 90 190); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "$screen_spec" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        if xwininfo -display ":$n" -root >/dev/null 2>&1; then display=":$n"; break; fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.05
    done
    [[ -n $display ]] && break
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
[[ -n $display ]] || { echo "$0: could not start Xvfb" >&2; exit 1; }

env -u WAYLAND_DISPLAY DISPLAY="$display" QT_QPA_PLATFORM=xcb "$@" &
program_pid=$!

# Geometry "WxH+X+Y" of the first viewable top-level window, empty while there is none.
# Without a window manager, top-level windows are the root window's children.
mapped_window() {
    local id info
    for id in $(xwininfo -display "$display" -root -children 2>/dev/null |
                    sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        info=$(xwininfo -display "$display" -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        awk '/Absolute upper-left X:/ {x=$NF} /Absolute upper-left Y:/ {y=$NF}
             /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF}
             END {if (w > 1 && h > 1) printf "%dx%d+%d+%d\n", w, h, x, y}' <<<"$info"
        return
    done
}

geometry=
deadline=$((SECONDS + timeout))
while [[ -z $geometry ]]; do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        program_pid=
        echo "$0: the program ended before showing a window" >&2
        exit 1
    fi
    if ((SECONDS >= deadline)); then
        echo "$0: no window after ${timeout}s" >&2
        exit 1
    fi
    sleep 0.1
    geometry=$(mapped_window)
done
sleep "$settle"

if [[ $whole == 1 ]]; then
    import -display "$display" -silent -window root "$output"
else
    # Cropping the root window also works where grabbing a single window would not.
    import -display "$display" -silent -window root -crop "$geometry" +repage "$output"
fi
echo "$output: window $geometry on a ${screen_spec} screen"
