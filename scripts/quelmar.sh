#!/usr/bin/env bash
# Installs what is missing, builds Quelmar and starts it on the catalogue of its folder
# (build/bin/Tarifas.Dat; the sample catalogue is put there when none is there yet).
# Only what the window needs: no tests, no benchmarks, no tarificador.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/dependencias.sh --solo g++ cmake ninja-build pkg-config qt6-base-dev libxkbcommon-dev \
    nlohmann-json3-dev fonts-dejavu-core qt6-translations-l10n qt6-svg-dev
cmake -S . -B build -G Ninja -DQUELMAR_TESTS=OFF -DQUELMAR_BENCH=OFF -DQUELMAR_TOOLS=ON \
    -DQUELMAR_GUI=ON >/dev/null
cmake --build build --target quelmar catalogo_ejemplo
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
