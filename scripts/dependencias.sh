#!/usr/bin/env bash
# Installs the Debian packages the suite needs that are not there yet.
#   scripts/dependencias.sh [PAQUETE...]          everything to build and test, and these
#   scripts/dependencias.sh --solo PAQUETE...     only these
set -euo pipefail
if [ "${1:-}" = "--solo" ]; then
    shift
    paquetes=("$@")
else
    # libxkbcommon-dev: Qt's CMake package looks for it, and says so when it is missing.
    paquetes=(g++ cmake ninja-build pkg-config googletest libgtest-dev libgmock-dev
              libbenchmark-dev qt6-base-dev libgl-dev libxkbcommon-dev fonts-dejavu-core
              nlohmann-json3-dev xvfb openbox xdotool x11-utils qt6-translations-l10n qt6-svg-dev clang
              libclang-rt-14-dev desktop-file-utils appstream lintian dpkg-dev file man-db
              chromium imagemagick dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0
              time tmux "$@")
fi
faltan=()
for p in "${paquetes[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || faltan+=("$p")
done
[ ${#faltan[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
echo "Instalando: ${faltan[*]}" >&2
if ! $sudo apt-get install -y -q --no-install-recommends "${faltan[@]}"; then
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${faltan[@]}"
fi
