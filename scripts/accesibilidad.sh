#!/usr/bin/env bash
# Checks what a screen reader reads of Quelmar's, Orbelle's and the costs windows: each program is
# started on a private Xvfb display inside its own D-Bus session with the AT-SPI bus, and
# scripts/accesibilidad.py walks its accessibility tree and checks names and roles.
#
#   scripts/accesibilidad.sh [BUILD_DIR] [quelmar|orbelle|quelmar-costes]...
#
# Needs: Xvfb, dbus-run-session (dbus-daemon), at-spi2-core, python3-gi and
# gir1.2-atspi-2.0 (scripts/dependencias.sh installs them); exits 77 when one is missing,
# 1 when a check fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
programas=("$@")
[[ ${#programas[@]} -eq 0 ]] && programas=(quelmar orbelle quelmar-costes)

lanzador=
for l in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [[ -x $l ]] && lanzador=$l && break
done
[[ -n $lanzador ]] || { echo "$0: at-spi-bus-launcher is missing (at-spi2-core): skipped" >&2; exit 77; }
for tool in Xvfb dbus-run-session dbus-send; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing: skipped" >&2; exit 77; }
done
# Debian's own Python, the one python3-gi is installed for (another may come first on PATH).
py=/usr/bin/python3
[[ -x $py ]] || py=python3
"$py" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' \
    2>/dev/null || { echo "$0: gir1.2-atspi-2.0 or python3-gi is missing: skipped" >&2; exit 77; }

# Inside the D-Bus session: the AT-SPI bus, the program, the walk.
if [[ ${ACCESIBILIDAD_DENTRO:-} == 1 ]]; then
    pids=()
    cleanup() {
        local p
        for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
    }
    trap cleanup EXIT
    "$lanzador" --launch-immediately >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
        sleep 0.1
    done
    programa=$ACCESIBILIDAD_PROGRAMA
    # The costs window is looked at with the sample log costed on the copied catalogue.
    argumentos=()
    [[ $programa == quelmar-costes ]] &&
        argumentos=(--catalogo "$ACCESIBILIDAD_TRABAJO" --bonos "$root/data/bonos.json"
                    "$root/data/llamadas.csv")
    # Spanish texts are the program's own; the locale only picks formats.
    LANG=es_ES.UTF-8 LC_ALL= QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        XDG_CONFIG_HOME=$ACCESIBILIDAD_TRABAJO \
        "$ACCESIBILIDAD_TRABAJO/$programa" "${argumentos[@]}" >/dev/null 2>&1 &
    pids+=($!)
    "$py" "$root/scripts/accesibilidad.py" "$programa" ${ACCESIBILIDAD_VOLCAR:+--volcar}
    exit $?
fi

for programa in "${programas[@]}"; do
    [[ -x $build/bin/$programa ]] || { echo "$0: build $programa first" >&2; exit 1; }
done
[[ -f $build/bin/Tarifas.Dat ]] || { echo "$0: build the sample catalogue first" >&2; exit 1; }

work=$(mktemp -d)
xvfb=
cleanup() {
    if [[ -n $xvfb ]]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
chmod 700 "$work"
# Quelmar reads the catalogue beside the program: copies of both in a folder of our own.
cp "$build/bin/Tarifas.Dat" "$work/"
for programa in "${programas[@]}"; do cp "$build/bin/$programa" "$work/"; done

display=
for n in $(seq 530 630); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    display=:$n
    break
done
[[ -n $display ]] || { echo "$0: no free display" >&2; exit 1; }
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done

estado=0
for programa in "${programas[@]}"; do
    rc=0
    DISPLAY=$display XDG_RUNTIME_DIR=$work ACCESIBILIDAD_DENTRO=1 ACCESIBILIDAD_PROGRAMA=$programa \
        ACCESIBILIDAD_TRABAJO=$work dbus-run-session -- "$0" "$build" || rc=$?
    case $rc in
        0) ;;
        77) exit 77 ;;
        *) estado=1 ;;
    esac
done
exit $estado
