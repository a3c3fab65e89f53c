#!/usr/bin/env bash
# Starting Orbelle while it runs minimised under another window must bring the running window
# forward: on a private Xvfb display with openbox, orbelle is minimised under an xmessage
# window, started again, and must end with status 0 leaving its window unminimised
# (_NET_WM_STATE without _NET_WM_STATE_HIDDEN), on top of the stacking and focused.
#
#   scripts/orbelle-al-frente.sh [BUILD_DIR] [CAPTURA.png]
#
# Needs: scripts/dependencias.sh xvfb openbox xdotool x11-utils (imagemagick for a picture).
# Exits 1 when the window did not come forward, 77 when a tool is missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
captura=${2:-}
orbelle=$build/bin/orbelle
[[ -x $orbelle ]] || { echo "$0: $orbelle is missing (build it first)" >&2; exit 1; }
for tool in Xvfb openbox xdotool xprop xwininfo xmessage; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing: skipped" >&2; exit 77; }
done

pids=()
runtime=$(mktemp -d)
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
      rm -rf "$runtime"' EXIT

display=
for n in $(seq 400 500); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || { display=:$n; break; }
done
[[ -n $display ]] || { echo "$0: no free display" >&2; exit 1; }
export DISPLAY=$display

# Polls for up to 30 s (a loaded machine starts Qt slowly) until the command succeeds;
# prints what it printed last.
wait_for() {
    local out
    for _ in $(seq 300); do
        out=$("$@" 2>/dev/null) && { echo "$out"; return 0; }
        sleep 0.1
    done
    echo "$out"
    return 1
}
hex() { printf '0x%x' "$1"; }
last_stacked() { xprop -root _NET_CLIENT_LIST_STACKING | awk '{print $NF}'; }
state() { xprop -id "$id" _NET_WM_STATE; }
active() { xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}'; }
forward() {
    ! state | grep -q _NET_WM_STATE_HIDDEN && [[ $(last_stacked) == $(hex "$id") ]] &&
        [[ $(active) == $(hex "$id") ]]
}

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
wait_for xwininfo -root >/dev/null
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' >/dev/null

export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb
"$orbelle" >/dev/null 2>&1 &
pids+=($!)
id=$(wait_for sh -c "xdotool search --onlyvisible --name '^Orbelle\$' | head -1 | grep .") ||
    { echo "FALLO: orbelle no abrió su ventana" >&2; exit 1; }
# Another window over it, where a new window goes in the top right corner.
xmessage -geometry 600x400-0+0 "Otra ventana encima de Orbelle" >/dev/null 2>&1 &
pids+=($!)
wait_for sh -c "[ \"\$(xprop -root _NET_CLIENT_LIST_STACKING | awk '{print \$NF}')\" != $(hex "$id") ]" \
    >/dev/null || { echo "FALLO: xmessage no quedó encima" >&2; exit 1; }
xdotool windowminimize "$id"
wait_for sh -c "xprop -id $id _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN" >/dev/null ||
    { echo "FALLO: la ventana no se minimizó: $(state)" >&2; exit 1; }

status=0
timeout 20 "$orbelle" >/dev/null 2>&1 || status=$?
[[ $status -eq 0 ]] || { echo "FALLO: el segundo orbelle terminó con estado $status" >&2; exit 1; }

# The running window comes forward within a few seconds.
ok=0
wait_for forward >/dev/null && ok=1
[[ -n $captura ]] && command -v import >/dev/null && { sleep 1; import -window root "$captura"; }
echo "estado: $(state); encima: $(last_stacked); activa: $(active); orbelle: $(hex "$id")"
[[ $ok -eq 1 ]] || { echo "FALLO: la ventana de Orbelle no pasó al frente" >&2; exit 1; }
echo "orbelle minimizado y arrancado de nuevo: al frente, activa: ok"
