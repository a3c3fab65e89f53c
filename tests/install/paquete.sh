#!/usr/bin/env bash
# The Debian packages as CPack makes them: dependencies worked out from the binaries,
# section and description in place, lintian without a single tag, and the programs of the
# unpacked package working: tarificador lists and costs the sample log with its catalogue
# in a temporary XDG_DATA_HOME, and quelmar paints its window once and ends. An upgrade
# from a package of the older layout keeps the user's catalogue.
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
! grep -F "not set" "$tmp/cpack.log" || fallo "cpack avisa de un campo sin poner"
deb=$(ls "$tmp"/cpack/quelmar_*.deb)
dev=$(ls "$tmp"/cpack/quelmar-dev_*.deb)

campo() { dpkg-deb -f "$1" "$2"; }
[[ $(campo "$deb" Section) == utils ]] || fallo "sección $(campo "$deb" Section)"
[[ $(campo "$dev" Section) == libdevel ]] || fallo "sección de -dev $(campo "$dev" Section)"
depende=$(campo "$deb" Depends)
# Qt's Spanish texts too: without them, an install without recommends shows "OK".
for lib in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins \
           qt6-translations-l10n; do
    grep -q "\b$lib\b" <<<"$depende" || fallo "Depends no nombra $lib: $depende"
done
grep -q "^editor de tarifas telefónicas" <<<"$(campo "$deb" Description)" || fallo "sin descripción"

# lintian, also its informational, pedantic and experimental tags: not one (hardening,
# stripping, ...). --info explains a tag; --display-info is what shows the "I:" ones.
if command -v lintian >/dev/null; then
    lintian --info --display-info --pedantic --display-experimental --tag-display-limit 0 \
        "$deb" "$dev" >"$tmp/lintian.log" 2>&1 || true
    # As root it says it would rather not be: that is about the test's user, not the packages.
    salida=$(grep -v '^running with root privileges is not recommended!$' "$tmp/lintian.log" || true)
    [[ -z $salida ]] || fallo "lintian: $salida"
else
    echo "lintian no está (paquete lintian): no se comprueba" >&2
fi

# The unpacked package, as a user would run it.
raiz=$tmp/raiz
dpkg-deb -x "$deb" "$raiz"
usr=$raiz/usr
datos=$tmp/datos
llamadas=$fuentes/data/llamadas.csv
tar() { env LC_ALL=C HOME="$tmp/casa" XDG_DATA_HOME="$datos" "$usr/bin/tarificador" "$@"; }
[[ $(tar listar | cut -d, -f1 | sed -n 2p) == Metropolitana ]] || fallo "listar: $(tar listar)"
[[ $(tar listar | wc -l) -eq $(wc -l <"$fuentes/data/tarifas.csv") ]] || fallo "listar no da las tarifas del CSV"
cmp -s "$datos/quelmar/Tarifas.Dat" "$usr/share/quelmar/ejemplo/Tarifas.Dat" ||
    fallo "el catálogo no se hizo en XDG_DATA_HOME"
tar costear "$llamadas" >"$tmp/costeo.csv" 2>"$tmp/costeo.err" || fallo "costear: $(cat "$tmp/costeo.err")"
grep -q "8 llamadas, importe total 2.656,70" "$tmp/costeo.err" "$tmp/costeo.csv" ||
    fallo "costear: $(cat "$tmp/costeo.csv" "$tmp/costeo.err")"
[[ $(ls "$usr/bin" | tr '\n' ' ') == "orbelle quelmar quelmar-costes tarificador " ]] ||
    fallo "los programas escribieron junto a sí: $(ls "$usr/bin")"
for f in llamadas.csv bonos.json festivos.txt; do
    cmp -s "$usr/share/doc/quelmar/ejemplos/$f" "$fuentes/data/$f" || fallo "el paquete no trae el ejemplo $f"
done

# quelmar, offscreen: the window is painted with the catalogue, then the program ends well.
plugins=$build/plugins-prueba
if [[ -e $plugins/styles/libpintarycerrar.so ]]; then
    rm -rf "$datos"
    salida=$(env HOME="$tmp/casa" XDG_DATA_HOME="$datos" QT_QPA_PLATFORM=offscreen \
             QT_PLUGIN_PATH="$plugins" timeout 60 "$usr/bin/quelmar" -style pintarycerrar 2>&1) ||
        fallo "quelmar terminó mal ($?): $salida"
    grep -q "^pintada: Editor de tarifas$" <<<"$salida" || fallo "quelmar no pintó: $salida"
    cmp -s "$datos/quelmar/Tarifas.Dat" "$usr/share/quelmar/ejemplo/Tarifas.Dat" ||
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

# An upgrade, with dpkg into a root of its own, from a package of the older layout (the
# sample at share/quelmar/Tarifas.Dat): the catalogue the user made and edited in the home
# folder is kept byte for byte, the old sample goes, and the new programs use the user's one.
viejo=$tmp/viejo
dpkg-deb -R "$deb" "$viejo"
mv "$viejo/usr/share/quelmar/ejemplo/Tarifas.Dat" "$viejo/usr/share/quelmar/Tarifas.Dat"
rmdir "$viejo/usr/share/quelmar/ejemplo"
sed -i 's/^Version: .*/Version: 0.9/' "$viejo/DEBIAN/control"
(cd "$viejo" && find usr -type f -exec md5sum {} + >DEBIAN/md5sums)
dpkg-deb -b --root-owner-group "$viejo" "$tmp/viejo.deb" >/dev/null
sistema=$tmp/sistema
mkdir -p "$sistema/var/lib/dpkg/info" "$sistema/var/lib/dpkg/updates"
: >"$sistema/var/lib/dpkg/status"
dpkg_en_sistema() {
    dpkg --root="$sistema" --force-not-root --force-bad-path --force-script-chrootless \
        --force-depends -i "$1" >"$tmp/dpkg.log" 2>&1 || fallo "dpkg -i $1: $(cat "$tmp/dpkg.log")"
}
dpkg_en_sistema "$tmp/viejo.deb"
[[ -f $sistema/usr/share/quelmar/Tarifas.Dat ]] || fallo "el paquete viejo no tiene su catálogo de ejemplo"
casa=$tmp/casa-vieja
suyo=$casa/.local/share/quelmar/Tarifas.Dat
mkdir -p "$(dirname "$suyo")"
cp "$sistema/usr/share/quelmar/Tarifas.Dat" "$suyo"
"$usr/bin/tarificador" exportar --catalogo "$(dirname "$suyo")" "$tmp/suyas.csv"
sed -i '2s/^Metropolitana,[^,]*,/Metropolitana,4.5,/' "$tmp/suyas.csv"
"$usr/bin/tarificador" importar --catalogo "$(dirname "$suyo")" "$tmp/suyas.csv" 2>/dev/null
cp "$suyo" "$tmp/suyo.dat"
dpkg_en_sistema "$deb"
grep -q "over (0.9)" "$tmp/dpkg.log" || fallo "dpkg no actualizó el paquete viejo: $(cat "$tmp/dpkg.log")"
cmp -s "$suyo" "$tmp/suyo.dat" || fallo "actualizar el paquete cambió el catálogo del usuario"
[[ ! -e $sistema/usr/share/quelmar/Tarifas.Dat ]] || fallo "queda el catálogo de ejemplo viejo"
nuevo() { env -u XDG_DATA_HOME HOME="$casa" "$sistema/usr/bin/tarificador" "$@"; }
grep -qF "$suyo" <<<"$(nuevo --help)" || fallo "tras actualizar, --help no nombra $suyo: $(nuevo --help)"
grep -q '^Metropolitana,4.5,' <<<"$(nuevo listar)" || fallo "tras actualizar falta el cambio del usuario"
cmp -s "$suyo" "$tmp/suyo.dat" || fallo "el programa nuevo cambió el catálogo del usuario"
echo "paquetes: $(basename "$deb") $(basename "$dev")"
