#!/usr/bin/env bash
# Drives the real quelmar with the keyboard, as a user would, on a private Xvfb display
# under openbox with a Spanish locale: Tab into the connection charge, type 9,99 over it,
# press Alt+A. The window must close and Tarifas.Dat must hold 9.99 for the first tariff.
#
#   scripts/quelmar-teclado.sh [BUILD_DIR] [SCREENSHOT.png]
#
# With a second argument, a picture of the window is taken just before Alt+A.
# Needs: Xvfb, openbox, xdotool (scripts/dependencias.sh installs them); exits 77 when
# one is missing, 1 when the check fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
foto=${2:-}
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing: skipped" >&2; exit 77; }
done
[[ -x $build/bin/quelmar && -f $build/bin/Tarifas.Dat ]] ||
    { echo "$0: build quelmar and the sample catalogue first" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Quelmar edits the catalogue beside the program: a copy of both in a folder of our own.
cp "$build/bin/quelmar" "$work/"

# shellcheck source=scripts/pantalla.sh
source "$root/scripts/pantalla.sh"
pantalla_privada 800x600 420 520 || { echo "$0: no free display" >&2; exit 1; }

# One try: a fresh copy of the catalogue, the keys, the check. Answers 0 when the field was
# stored and the window closed, 1 with the reason on standard error.
intento() {
    cp "$build/bin/Tarifas.Dat" "$work/"
    LANG=es_ES.UTF-8 LC_ALL= QT_QPA_PLATFORM=xcb "$work/quelmar" >/dev/null 2>&1 &
    local quelmar=$! win= foco=
    pids+=($quelmar)
    for _ in $(seq 150); do
        win=$(xdotool search --name '^Editor de tarifas$' 2>/dev/null | head -1 || true)
        [[ -n $win ]] && break
        sleep 0.1
    done
    [[ -n $win ]] || { echo "$0: the window never appeared" >&2; return 1; }
    xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
    # The keys go where the focus is: wait until it is in the window, and a moment more for
    # the window to put it into the name list.
    for _ in $(seq 50); do
        foco=$(xdotool getwindowfocus 2>/dev/null || true)
        [[ $foco == "$win" ]] && break
        sleep 0.1
    done
    sleep 0.5

    # The focus starts in the name list: Tab goes to the connection charge.
    xdotool key --clearmodifiers Tab
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 40 '9,99'
    sleep 0.3
    if [[ -n $foto ]] && command -v import >/dev/null; then import -window root "$foto"; fi
    xdotool key --clearmodifiers alt+a

    for _ in $(seq 100); do kill -0 "$quelmar" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$quelmar" 2>/dev/null; then
        echo "$0: Alt+A did not close the window" >&2
        kill "$quelmar" 2>/dev/null || true
        wait "$quelmar" 2>/dev/null || true
        return 1
    fi
    # The first record's connection charge: bytes 15..21.
    importe=$(dd if="$work/Tarifas.Dat" bs=1 skip=15 count=7 2>/dev/null | tr -d ' ')
    if [[ $importe != 9.99 ]]; then
        echo "$0: Tarifas.Dat holds «$importe» as the first charge, not 9.99" >&2
        return 1
    fi
}

# A machine busy enough to start the window late gets a second try; a wrong result twice
# is a failure.
if intento || { echo "$0: trying again" >&2; intento; }; then
    echo "Alt+A tras teclear 9,99: ventana cerrada, Tarifas.Dat guarda 9.99"
else
    exit 1
fi
