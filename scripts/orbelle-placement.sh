#!/usr/bin/env bash
# Checks where orbelle's framed window lands under a real window manager: on private Xvfb
# displays of several sizes, with openbox framing the window, the outer frame must touch the
# top and the right edge of the screen.
#
#   scripts/orbelle-placement.sh [BUILD_DIR]   (default: build at the top of the repository)
#
# Needs: Xvfb, openbox, xdotool, xwininfo and xprop (x11-utils):
#   scripts/dependencias.sh xvfb openbox xdotool x11-utils
# Prints one line per screen size and exits 1 when any placement is wrong, 77 when a tool
# is missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
orbelle=$build/bin/orbelle
[[ -x $orbelle ]] || { echo "$0: $orbelle is missing (build it first)" >&2; exit 1; }
for tool in Xvfb openbox xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing: skipped" >&2; exit 77; }
done

pids=()
runtime=$(mktemp -d)
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
    pids=()
}
trap 'cleanup; rm -rf "$runtime"' EXIT

free_display() {
    for n in $(seq 300 400); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        echo ":$n"
        return
    done
    echo "$0: no free display" >&2
    exit 1
}

# Polls for up to 10 s until the command prints something.
wait_for() {
    local out
    for _ in $(seq 100); do
        out=$("$@" 2>/dev/null || true)
        [[ -n $out ]] && { echo "$out"; return; }
        sleep 0.1
    done
}

# The top-level window that holds `id`: the window manager's frame.
outer_window() {
    local w=$1 root_id parent
    root_id=$(xwininfo -root | awk '/Window id/ {print $4}')
    while :; do
        parent=$(xwininfo -id "$w" -tree | awk '/Parent window id/ {print $4}')
        [[ $parent == "$root_id" ]] && { echo "$w"; return; }
        w=$parent
    done
}

# One run on a screen of the given size: prints the frame's place and answers 0 when it is
# right, 1 when it is wrong, 2 when the window manager never framed the window (a slow
# start on a busy machine: worth another try).
check_size() {
    local size=$1 display id frame x y w right screen_w
    display=$(free_display)
    Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=$display
    wait_for xwininfo -root >/dev/null
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    # The window manager is ready once it has announced itself on the root window.
    wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -o "window id"' >/dev/null
    XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb "$orbelle" >/dev/null 2>&1 &
    pids+=($!)
    id=$(wait_for xdotool search --onlyvisible --name '^Orbelle$' | head -1)
    [[ -n $id ]] || { echo "$size: orbelle showed no window"; return 1; }
    # The window manager frames the window a moment after it shows, and orbelle then
    # settles its place: give it up to 10 seconds to get there.
    screen_w=${size%x*}
    for _ in $(seq 50); do
        frame=$(outer_window "$id")
        read -r x y w < <(xwininfo -id "$frame" |
            awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width/ {w=$2}
                 END {print x, y, w}')
        right=$((x + w))
        [[ $frame != "$id" && $y -eq 0 && $right -eq $screen_w ]] && break
        sleep 0.2
    done
    if [[ $frame == "$id" ]]; then
        echo "$size: the window manager did not frame the window"
        return 2
    fi
    if [[ $y -eq 0 && $right -eq $screen_w ]]; then
        echo "$size: frame at x=$x y=$y, width $w: right edge $right, top 0: ok"
        return 0
    fi
    echo "$size: frame at x=$x y=$y, width $w: right edge $right (screen $screen_w): WRONG"
    return 1
}

status=0
for size in 1024x768 1280x800 1920x1080 800x600; do
    for attempt in 1 2 3; do
        result=0
        check_size "$size" || result=$?
        cleanup
        [[ $result -ne 2 ]] && break
    done
    [[ $result -eq 0 ]] || status=1
done
exit $status
