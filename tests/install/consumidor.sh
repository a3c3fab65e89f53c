#!/usr/bin/env bash
# Another C++ project builds against the engine and costs one call with it.
#   tests/install/consumidor.sh paquete BUILD_DIR SOURCE_DIR
#       installs BUILD_DIR into a fresh prefix; the consumer finds it with
#       find_package(Quelmar CONFIG REQUIRED); a version the install is not is refused
#   tests/install/consumidor.sh subdirectorio BUILD_DIR SOURCE_DIR
#       the consumer pulls SOURCE_DIR in with add_subdirectory: only the engine is built
#       (no sample catalogue, no tests, no programs) and none of its warnings reach the
#       consumer's own code, which they would reject
set -euo pipefail
modo=$1
build=$(cd "$2" && pwd)
fuentes=$(cd "$3" && pwd)
cmake=${CMAKE:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fallo() { echo "FALLO: $*" >&2; exit 1; }
proyecto=$fuentes/tests/install/consumidor
configurar=("$cmake" -S "$proyecto" -B "$tmp/b" -G Ninja -DCMAKE_BUILD_TYPE=Release)

case $modo in
paquete)
    "$cmake" --install "$build" --prefix "$tmp/prefijo" --component desarrollo >/dev/null
    [[ ! -e $tmp/prefijo/bin ]] || fallo "el componente desarrollo instala programas"
    if "${configurar[@]}" -B "$tmp/b2" -DCMAKE_PREFIX_PATH="$tmp/prefijo" -DVERSION_PEDIDA=2.0 \
        >"$tmp/v2.log" 2>&1; then
        fallo "find_package(Quelmar 2.0) aceptó la versión 1"
    fi
    grep -q "QuelmarConfig.cmake, version: 1.0" "$tmp/v2.log" ||
        fallo "la versión 2.0 se rechazó por otra razón: $(cat "$tmp/v2.log")"
    "${configurar[@]}" -DCMAKE_PREFIX_PATH="$tmp/prefijo" -DVERSION_PEDIDA=1.0 >/dev/null
    ;;
subdirectorio)
    "${configurar[@]}" -DQUELMAR_FUENTES="$fuentes" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
    ;;
*) fallo "modo desconocido $modo" ;;
esac
"$cmake" --build "$tmp/b" >"$tmp/build.log" 2>&1 || fallo "no compila: $(cat "$tmp/build.log")"

if [[ $modo == subdirectorio ]]; then
    objetivos=$("$cmake" --build "$tmp/b" --target help)
    for o in catalogo_ejemplo tarificador quelmar orbelle catalogue_tests; do
        ! grep -q "^$o:" <<<"$objetivos" || fallo "el proyecto añadido construye $o"
    done
    [[ -z $(find "$tmp/b" -name Tarifas.Dat) ]] || fallo "se hizo un catálogo de ejemplo"
    # The consumer's own file is compiled without the project's flags.
    linea=$(grep '"command".*costar.cpp' "$tmp/b/compile_commands.json")
    ! grep -qE -- '-Werror|-Wconversion' <<<"$linea" || fallo "costar.cpp hereda: $linea"
fi

# One call costed with the sample catalogue: 20 minutes of Metropolitana on a Monday
# morning, 11.5 of connection and 4.1 a minute after the first 3 minutes.
mkdir "$tmp/catalogo"
"$build/bin/tarificador" importar --catalogo "$tmp/catalogo" "$fuentes/data/tarifas.csv" 2>/dev/null
salida=$("$tmp/b/costar" "$tmp/catalogo")
[[ $salida == "81.2 00:20:00 81" ]] || fallo "el consumidor costó «$salida»"
echo "consumidor ($modo): $salida"
