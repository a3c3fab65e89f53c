#!/usr/bin/env bash
# An install from a build folder where not all is built (as scripts/quelmar.sh leaves it:
# configured for everything, only the window built) writes nothing and says what is missing
# and what to run, instead of stopping half-way with CMake's own words.
#   tests/install/sin-compilar.sh SOURCE_DIR
set -euo pipefail
fuentes=$(cd "$1" && pwd)
cmake=${CMAKE:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fallo() { echo "FALLO: $*" >&2; exit 1; }

compilacion=$tmp/build
"$cmake" -S "$fuentes" -B "$compilacion" -G Ninja -DQUELMAR_TESTS=OFF -DQUELMAR_BENCH=OFF \
    -DQUELMAR_TOOLS=ON -DQUELMAR_GUI=ON >/dev/null
# What takes no compiler: the changelog.
"$cmake" --build "$compilacion" --target registro_de_cambios >/dev/null
estado=0
"$cmake" --install "$compilacion" --prefix "$tmp/prefijo" >"$tmp/salida" 2>&1 || estado=$?
[[ $estado -ne 0 ]] || fallo "la instalación sin compilar terminó bien"
[[ ! -e $tmp/prefijo ]] || fallo "la instalación escribió antes de parar: $(find "$tmp/prefijo" -mindepth 1 | head -3)"
for falta in bin/tarificador bin/quelmar bin/orbelle muestra/Tarifas.Dat; do
    grep -qF "$compilacion/$falta" "$tmp/salida" || fallo "no dice que falta $falta: $(cat "$tmp/salida")"
done
! grep -qF "changelog.gz" "$tmp/salida" || fallo "da por falta lo que está: $(cat "$tmp/salida")"
grep -qF "cmake --build $compilacion" "$tmp/salida" || fallo "no dice qué compilar: $(cat "$tmp/salida")"
grep -qF "No se ha instalado nada" "$tmp/salida" || fallo "no lo dice en español: $(cat "$tmp/salida")"
echo "sin compilar, la instalación no escribe nada y dice qué falta"
