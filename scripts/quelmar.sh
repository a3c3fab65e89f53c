#!/usr/bin/env bash
# Installs what is missing, builds Quelmar and starts it on the catalogue of its folder
# (build/bin/Tarifas.Dat; the sample catalogue is put there when none is there yet).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/dependencias.sh
cmake -S . -B build -G Ninja >/dev/null
objetivos=(quelmar)
if cmake --build build --target help | grep -q '^catalogo_ejemplo'; then
    objetivos+=(catalogo_ejemplo)
fi
cmake --build build --target "${objetivos[@]}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'MSG'
No hay pantalla: DISPLAY y WAYLAND_DISPLAY están vacíos, así que Quelmar no puede abrir
su ventana. Para probarlo sin pantalla, en una pantalla virtual:

    scripts/dependencias.sh xvfb xauth
    xvfb-run -a build/bin/quelmar

o haga una captura de la ventana con: scripts/screenshot.sh captura.png build/bin/quelmar
MSG
    exit 1
fi
exec build/bin/quelmar "$@"
