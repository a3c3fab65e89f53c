#!/usr/bin/env bash
# Drives the real quelmar-costes by keyboard and mouse, as a user would, on a private Xvfb
# display under openbox: open the sample log with Ctrl+O, set the holidays in "Opciones de
# costeo…", pick the whole file as the period, sort the calls by duration with a click on the
# column, filter them, add a bono on the Bonos page and save the registry, export with
# Ctrl+E. The export must be what `tarificador costear` writes with those options, and the
# registry saved must be one that --bonos reads with the new bono in it.
#
#   scripts/costes-teclado.sh [BUILD_DIR] [SCREENSHOT.png]
#
# With a second argument, a picture of the window is taken after the filter.
# Needs: Xvfb, openbox, xdotool (scripts/dependencias.sh installs them); exits 77 when
# one is missing, 1 when a check fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
foto=${2:-}
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing: skipped" >&2; exit 77; }
done
[[ -x $build/bin/quelmar-costes && -x $build/bin/tarificador && -f $build/bin/Tarifas.Dat ]] ||
    { echo "$0: build quelmar-costes, tarificador and the sample catalogue first" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
cp "$build/bin/Tarifas.Dat" "$root/data/llamadas.csv" "$root/data/bonos.json" "$work/"

# shellcheck source=scripts/pantalla.sh
source "$root/scripts/pantalla.sh"
pantalla_privada 1024x768 640 740 || { echo "$0: no free display" >&2; exit 1; }

fallo() {
    echo "$0: $*" >&2
    [[ -s $work/costes.err ]] && sed 's/^/quelmar-costes: /' "$work/costes.err" >&2
    local w
    for w in $(xdotool search --name . 2>/dev/null); do
        echo "$0: en pantalla: «$(xdotool getwindowname "$w" 2>/dev/null)»" >&2
    done
    # What the screen showed, for whoever looks into it.
    if [[ -n ${COSTES_FOTO_FALLO:-} ]] && command -v import >/dev/null; then import -window root "$COSTES_FOTO_FALLO"; fi
    exit 1
}
# The first window whose title matches; answers 1 once quelmar-costes has ended, or after `$2` tenths of a second (600 unless
# given) without one.
buscar() {
    local w=
    for _ in $(seq "${2:-600}"); do
        w=$(xdotool search --name "$1" 2>/dev/null | head -1 || true)
        [[ -n $w ]] && { echo "$w"; return 0; }
        # A program that has ended shows nothing more.
        [[ -n ${costes:-} ]] && ! kill -0 "$costes" 2>/dev/null && return 1
        sleep 0.1
    done
    return 1
}
# The window whose title matches, active, once it is there.
esperar() {
    local w=
    # Up to 60 s: a loaded two-core machine starts Qt slowly.
    w=$(buscar "$1") || fallo "no aparece la ventana «$1»"
    xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w"
    sleep 0.4
    echo "$w"
}
tecla() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
escribir() { xdotool type --delay 20 "$1"; sleep 0.2; }

# Options given on the command line are kept: the catalogue and the registry of the copy.
arrancar() {
    LANG=es_ES.UTF-8 LC_ALL= QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$work/config \
        "$build/bin/quelmar-costes" --catalogo "$work" --bonos "$work/bonos.json" \
        >/dev/null 2>"$work/costes.err" &
    costes=$!
    pids+=($costes)
}
# A start that shows nothing in 30 s gets one more: what it printed is shown either way.
arrancar
if ! buscar '^Costes de llamadas$' 300 >/dev/null; then
    if kill -0 "$costes" 2>/dev/null; then
        echo "$0: la ventana no aparece en 30 s: se arranca otra vez" >&2
    else
        wait "$costes" && r=0 || r=$?
        echo "$0: quelmar-costes terminó con $r sin ventana: se arranca otra vez" >&2
    fi
    [[ -s $work/costes.err ]] && sed 's/^/quelmar-costes: /' "$work/costes.err" >&2
    kill "$costes" 2>/dev/null || true
    wait "$costes" 2>/dev/null || true
    arrancar
fi
win=$(esperar '^Costes de llamadas$')

# Open: Ctrl+O, the path typed into Qt's file dialog.
tecla ctrl+o
esperar 'Abrir un registro de llamadas' >/dev/null
escribir "$work/llamadas.csv"
tecla Return
win=$(esperar '^llamadas.csv .* Costes de llamadas$')

# Options: menu Costeo (Alt+C), "Opciones de costeo…", holidays (Alt+F), Aceptar (Return).
tecla alt+c
tecla o
esperar '^Opciones de costeo$' >/dev/null
tecla alt+f
escribir "$root/data/festivos.txt"
tecla Return
win=$(esperar '^llamadas.csv .* Costes de llamadas$')

# Period: Alt+P, then the second entry, the whole file.
tecla alt+p
tecla Down
sleep 1

# The calls: Alt+L, a click on the "Duración" column (twice: the longest first), a filter.
tecla alt+l
xdotool mousemove --window "$win" 640 122 click 1 sleep 0.3 click 1
sleep 0.3
tecla alt+f
escribir 'metropolitana'
sleep 0.5
if [[ -n $foto ]] && command -v import >/dev/null; then import -window "$win" "$foto"; fi

# Bonos: Alt+B, a click on "Añadir…", a 50NOCHE of 5 hours, then "Guardar registro…" (Alt+G).
tecla alt+b
xdotool mousemove --window "$win" 60 580 click 1
esperar '^Bono$' >/dev/null
tecla Down Down Down
tecla alt+m
escribir '5:00:00'
tecla Return
win=$(esperar '^llamadas.csv .* Costes de llamadas$')
tecla alt+g
sleep 1.5

# Export: Ctrl+E, the path typed over the name offered.
tecla ctrl+e
esperar '^Exportar CSV$' >/dev/null
tecla ctrl+a
escribir "$work/exportado.csv"
tecla Return
for _ in $(seq 50); do [[ -s $work/exportado.csv ]] && break; sleep 0.1; done

[[ -s $work/exportado.csv ]] || fallo "Ctrl+E no escribió el CSV"
grep -q '"tipo": "50NOCHE", "alta": "[0-9-]*T00:00:00", "tiempo": "05:00:00"' "$work/bonos.json" ||
    grep -q '50NOCHE.*05:00:00' "$work/bonos.json" ||
    fallo "el registro guardado no tiene el bono añadido: $(cat "$work/bonos.json")"
LC_ALL=C "$build/bin/tarificador" costear --catalogo "$work" --festivos "$root/data/festivos.txt" \
    --bonos "$work/bonos.json" "$work/llamadas.csv" >"$work/costear.csv" 2>/dev/null || true
cmp -s "$work/exportado.csv" "$work/costear.csv" ||
    fallo "lo exportado no es lo que escribe costear: $(diff "$work/exportado.csv" "$work/costear.csv" | head -5)"
echo "abrir, opciones, periodo, ordenar, filtrar, bono añadido y guardado, exportar: el CSV es el de costear"
