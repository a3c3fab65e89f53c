#!/usr/bin/env bash
# The Debian packages as CPack makes them: dependencies worked out from the binaries,
# section and description in place, lintian without errors, and the programs of the
# unpacked package working: tarificador lists and costs the sample log with its catalogue
# in a temporary XDG_DATA_HOME, and quelmar paints its window once and ends.
#   tests/install/paquete.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
fuentes=$(cd "$2" && pwd)
cpack=${CPACK:-cpack}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fallo() { echo "FALLO: $*" >&2; exit 1; }
for herramienta in dpkg-deb dpkg-shlibdeps; do
    command -v $herramienta >/dev/null ||
        { echo "$herramienta no está (paquete dpkg-dev): no se comprueba" >&2; exit 77; }
done

(cd "$build" && "$cpack" -G DEB -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1) ||
    fallo "cpack: $(cat "$tmp/cpack.log")"
deb=$(ls "$tmp"/cpack/quelmar_*.deb)
dev=$(ls "$tmp"/cpack/quelmar-dev_*.deb)

campo() { dpkg-deb -f "$1" "$2"; }
[[ $(campo "$deb" Section) == utils ]] || fallo "sección $(campo "$deb" Section)"
[[ $(campo "$dev" Section) == libdevel ]] || fallo "sección de -dev $(campo "$dev" Section)"
depende=$(campo "$deb" Depends)
for lib in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins; do
    grep -q "\b$lib\b" <<<"$depende" || fallo "Depends no nombra $lib: $depende"
done
grep -q "^editor de tarifas telefónicas" <<<"$(campo "$deb" Description)" || fallo "sin descripción"

# lintian: no errors; the warnings are printed for the record.
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" "$dev" >"$tmp/lintian.log" 2>&1 || true
    cat "$tmp/lintian.log"
    ! grep -q '^E:' "$tmp/lintian.log" || fallo "lintian da errores"
else
    echo "lintian no está (paquete lintian): no se comprueba" >&2
fi

# The unpacked package, as a user would run it.
raiz=$tmp/raiz
dpkg-deb -x "$deb" "$raiz"
usr=$raiz/usr
datos=$tmp/datos
llamadas=$fuentes/data/llamadas.csv
tar() { env HOME="$tmp/casa" XDG_DATA_HOME="$datos" "$usr/bin/tarificador" "$@"; }
[[ $(tar listar | cut -d, -f1 | sed -n 2p) == Metropolitana ]] || fallo "listar: $(tar listar)"
[[ $(tar listar | wc -l) -eq $(wc -l <"$fuentes/data/tarifas.csv") ]] || fallo "listar no da las tarifas del CSV"
cmp -s "$datos/quelmar/Tarifas.Dat" "$usr/share/quelmar/Tarifas.Dat" ||
    fallo "el catálogo no se hizo en XDG_DATA_HOME"
tar costear "$llamadas" >"$tmp/costeo.csv" 2>"$tmp/costeo.err" || fallo "costear: $(cat "$tmp/costeo.err")"
grep -q "8 llamadas, importe total 2656.70" "$tmp/costeo.err" "$tmp/costeo.csv" ||
    fallo "costear: $(cat "$tmp/costeo.csv" "$tmp/costeo.err")"
[[ $(ls "$usr/bin" | tr '\n' ' ') == "orbelle quelmar tarificador " ]] ||
    fallo "los programas escribieron junto a sí: $(ls "$usr/bin")"

# quelmar, offscreen: the window is painted with the catalogue, then the program ends well.
plugins=$build/plugins-prueba
if [[ -e $plugins/styles/libpintarycerrar.so ]]; then
    rm -rf "$datos"
    salida=$(env HOME="$tmp/casa" XDG_DATA_HOME="$datos" QT_QPA_PLATFORM=offscreen \
             QT_PLUGIN_PATH="$plugins" timeout 60 "$usr/bin/quelmar" -style pintarycerrar 2>&1) ||
        fallo "quelmar terminó mal ($?): $salida"
    grep -q "^pintada: Editor de tarifas$" <<<"$salida" || fallo "quelmar no pintó: $salida"
    cmp -s "$datos/quelmar/Tarifas.Dat" "$usr/share/quelmar/Tarifas.Dat" ||
        fallo "quelmar no preparó su catálogo en XDG_DATA_HOME"
    echo "quelmar: $salida"
    # No folder can be made for the catalogue: said in a message box, and the program ends.
    : >"$tmp/fichero"
    rc=0
    salida=$(env HOME="$tmp/casa" XDG_DATA_HOME="$tmp/fichero" QT_QPA_PLATFORM=offscreen \
             QT_PLUGIN_PATH="$plugins" timeout 60 "$usr/bin/quelmar" -style pintarycerrar 2>&1) ||
        rc=$?
    [[ $rc -eq 1 ]] || fallo "quelmar sin carpeta de catálogo salió con $rc: $salida"
    grep -q "^mensaje: No se puede preparar el catálogo de tarifas: .*$tmp/fichero/quelmar" \
        <<<"$salida" || fallo "quelmar sin carpeta de catálogo no lo dijo: $salida"
else
    fallo "falta $plugins/styles/libpintarycerrar.so (cmake --build con QUELMAR_GUI)"
fi
echo "paquetes: $(basename "$deb") $(basename "$dev")"
