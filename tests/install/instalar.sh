#!/usr/bin/env bash
# cmake --install into a fresh prefix, then the installed suite as a user meets it: the
# files in their places, desktop entries and AppStream data that validate, man pages that
# render, and an installed tarificador that keeps its catalogue in the user's data folder,
# made from the installed sample the first time and never overwritten, also by a reinstall
# into the user's own ~/.local.
#   tests/install/instalar.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
fuentes=$(cd "$2" && pwd)
cmake=${CMAKE:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fallo() { echo "FALLO: $*" >&2; exit 1; }

prefijo=$tmp/prefijo
"$cmake" --install "$build" --prefix "$prefijo" >/dev/null

esperados=(
    bin/tarificador bin/quelmar bin/orbelle bin/quelmar-costes
    share/quelmar/ejemplo/Tarifas.Dat share/quelmar/autostart/orbelle.desktop
    share/applications/quelmar.desktop share/applications/orbelle.desktop share/applications/quelmar-costes.desktop
    share/icons/hicolor/scalable/apps/quelmar.svg share/icons/hicolor/scalable/apps/orbelle.svg
    share/icons/hicolor/scalable/apps/quelmar-costes.svg share/metainfo/es.quelmar.costes.metainfo.xml share/man/man1/quelmar-costes.1.gz
    share/metainfo/es.quelmar.quelmar.metainfo.xml share/metainfo/es.quelmar.orbelle.metainfo.xml
    share/man/man1/tarificador.1.gz share/man/man1/quelmar.1.gz share/man/man1/orbelle.1.gz
    include/quelmar/catalogue/cCatalogo.h include/quelmar/costing/cLlamada.h
    include/quelmar/costing/cCosteo.h
    lib/cmake/Quelmar/QuelmarConfig.cmake lib/cmake/Quelmar/QuelmarConfigVersion.cmake
    lib/cmake/Quelmar/QuelmarTargets.cmake
    share/doc/quelmar/ejemplos/llamadas.csv share/doc/quelmar/ejemplos/bonos.json
    share/doc/quelmar/ejemplos/festivos.txt
)
for f in "${esperados[@]}"; do
    [[ -s $prefijo/$f ]] || fallo "falta $f en la instalación"
done
[[ ! -e $prefijo/share/quelmar/Tarifas.Dat ]] ||
    fallo "la instalación puso un catálogo donde está el del usuario con el prefijo ~/.local"
ls "$prefijo"/lib*/libquelmar.a >/dev/null 2>&1 || fallo "falta la biblioteca libquelmar.a"
# Only the engine's headers, and none of the project's flags in its CMake package.
capas=$(ls "$prefijo/include/quelmar" | tr '\n' ' ')
[[ $capas == "bono catalogue costing periods runtime time " ]] || fallo "cabeceras instaladas: $capas"
if grep -rlE -- '-Werror|-Wconversion|-fsanitize' "$prefijo/lib/cmake/Quelmar"; then
    fallo "el paquete de CMake lleva opciones del proyecto"
fi
[[ $(ls "$prefijo/bin" | tr '\n' ' ') == "orbelle quelmar quelmar-costes tarificador " ]] ||
    fallo "bin/ tiene otra cosa: $(ls "$prefijo/bin")"

# Desktop entries and AppStream data.
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefijo"/share/applications/*.desktop \
        "$prefijo/share/quelmar/autostart/orbelle.desktop" || fallo "desktop-file-validate"
else
    echo "desktop-file-validate no está (paquete desktop-file-utils): no se comprueba" >&2
fi
if command -v appstreamcli >/dev/null; then
    # Clean also when pedantic: not even a hint.
    avisos=$(appstreamcli validate --no-net --pedantic --no-color "$prefijo"/share/metainfo/*.xml 2>&1) ||
        fallo "appstreamcli validate: $avisos"
    ! grep -E '^[EWIP]: ' <<<"$avisos" || fallo "appstreamcli validate --pedantic: $avisos"
    # What a software centre shows: licence, developer, web page, a release, and the
    # README's pictures as screenshots.
    for m in "$prefijo"/share/metainfo/*.xml; do
        for etiqueta in '<project_license>' '<developer_name>' '<url type="homepage">' \
                        '<screenshot type="default">' '<release version="1.0"'; do
            grep -qF "$etiqueta" "$m" || fallo "$(basename "$m") no tiene $etiqueta"
        done
        for imagen in $(grep -o '<image[^>]*>[^<]*' "$m" | sed 's/.*>//'); do
            dibujo=docs/${imagen##*/}
            [[ -s $fuentes/$dibujo ]] && grep -qF "]($dibujo)" "$fuentes/README.md" ||
                fallo "$(basename "$m"): la captura $imagen no es una imagen del README"
        done
    done
else
    echo "appstreamcli no está (paquete appstream): no se comprueba" >&2
fi
# Man pages: render without a warning, in Spanish, every subcommand of tarificador there.
if command -v man >/dev/null; then
    for p in tarificador quelmar orbelle quelmar-costes; do
        avisos=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 \
                 "$prefijo/share/man/man1/$p.1.gz" 2>&1 >/dev/null)
        [[ -z $avisos ]] || fallo "man $p: $avisos"
    done
    # Names as the user sees them, without Qt's accelerator markup («&Nuevo»).
    for p in tarificador quelmar orbelle quelmar-costes; do
        ! LC_ALL=C.UTF-8 man -l "$prefijo/share/man/man1/$p.1.gz" 2>/dev/null | grep -E '&[[:alpha:]]' ||
            fallo "man $p escribe la marca de Qt de las teclas"
    done
    # Every subcommand and every option that tarificador's own help names.
    texto=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$prefijo/share/man/man1/tarificador.1.gz" 2>/dev/null)
    tarificador=$prefijo/bin/tarificador
    ordenes=$("$tarificador" --help | sed -n '/^Órdenes:/,/^$/p' | awk 'NR > 1 && NF {print $1}')
    [[ -n $ordenes ]] || fallo "tarificador --help no lista órdenes"
    palabras=("ESTADO DE SALIDA" FICHEROS EJEMPLOS --version --help)
    for orden in $ordenes; do
        palabras+=("tarificador $orden")
        palabras+=($("$tarificador" "$orden" --help | grep -o -- '--[a-z][a-z-]*' | sort -u))
    done
    for palabra in "${palabras[@]}"; do
        grep -qF -- "$palabra" <<<"$texto" || fallo "man tarificador no habla de «$palabra»"
    done
else
    echo "man no está (paquete man-db): no se comprueban las páginas" >&2
fi

# The man page's examples, typed as a user would, on the installed sample files (its /usr
# being this prefix): each works, and costing with bonos and holidays gives the total it says.
if command -v man >/dev/null; then
    ejemplos=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$prefijo/share/man/man1/tarificador.1.gz" 2>/dev/null |
               sed -n '/^EJEMPLOS/,/^[^ ]/p' | sed -n 's/^ *\(cd \|tarificador \|echo \)/\1/p')
    [[ $(grep -c . <<<"$ejemplos") -ge 6 ]] || fallo "man tarificador: pocos ejemplos: $ejemplos"
    casa_ejemplos=$tmp/casa-ejemplos
    mkdir -p "$casa_ejemplos"
    (cd "$casa_ejemplos" &&
     env LC_ALL=C.UTF-8 HOME="$casa_ejemplos" XDG_DATA_HOME="$casa_ejemplos/datos" PATH="$prefijo/bin:$PATH" \
         bash -e -c "${ejemplos//\/usr\//$prefijo/}") >"$tmp/ejemplos.out" 2>&1 ||
        fallo "los ejemplos de man tarificador fallan: $(tail -5 "$tmp/ejemplos.out")"
    total=$(grep -o 'importe total [0-9.,]*[0-9]' "$tmp/ejemplos.out" | head -1)
    grep -qF "($total):" <<<"$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$prefijo/share/man/man1/tarificador.1.gz")" ||
        fallo "man tarificador no da el total de su ejemplo ($total)"
    grep -q '<svg' "$casa_ejemplos/informe.html" || fallo "el ejemplo de informe no escribió la página"
    [[ -s $casa_ejemplos/tarifas.csv ]] || fallo "el ejemplo de exportar no escribió el CSV"
fi

# The installed sample is what «tarificador importar» makes of the CSV.
mkdir "$tmp/importado"
"$prefijo/bin/tarificador" importar --catalogo "$tmp/importado" "$fuentes/data/tarifas.csv" 2>/dev/null
cmp -s "$tmp/importado/Tarifas.Dat" "$prefijo/share/quelmar/ejemplo/Tarifas.Dat" ||
    fallo "el catálogo de ejemplo instalado no es el que importa tarificador"

# The installed tarificador: the catalogue goes to $XDG_DATA_HOME/quelmar, not beside it.
datos=$tmp/datos
casa=$tmp/casa
mkdir -p "$casa"
tar() { env HOME="$casa" XDG_DATA_HOME="$datos" "$prefijo/bin/tarificador" "$@"; }
grep -qF "$datos/quelmar/Tarifas.Dat" <<<"$(tar --help)" || fallo "--help no dice la carpeta del catálogo"
[[ ! -e $datos ]] || fallo "--help creó la carpeta del catálogo"
grep -q '^Metropolitana' <<<"$(tar listar)" || fallo "listar no muestra el catálogo de ejemplo"
cmp -s "$datos/quelmar/Tarifas.Dat" "$prefijo/share/quelmar/ejemplo/Tarifas.Dat" ||
    fallo "el catálogo del usuario no es copia del de ejemplo"
[[ $(ls "$prefijo/bin" | tr '\n' ' ') == "orbelle quelmar quelmar-costes tarificador " ]] ||
    fallo "el programa instalado escribió junto a sí: $(ls "$prefijo/bin")"

# The user's changes stay theirs: a new price, and the next run does not copy over it.
tar exportar "$tmp/tarifas.csv"
sed -i '2s/^Metropolitana,[^,]*,/Metropolitana,7.25,/' "$tmp/tarifas.csv"
tar importar "$tmp/tarifas.csv" 2>/dev/null
grep -q '^Metropolitana,7.25,' <<<"$(tar listar)" ||
    fallo "el cambio no está: $(tar listar | grep Metropolitana)"
cmp -s "$datos/quelmar/Tarifas.Dat" "$prefijo/share/quelmar/ejemplo/Tarifas.Dat" &&
    fallo "importar no cambió el catálogo del usuario"
grep -q '^Metropolitana,7.25,' <<<"$(tar listar)" || fallo "una nueva ejecución sustituyó el catálogo del usuario"

# Without XDG_DATA_HOME: ~/.local/share/quelmar.
env -u XDG_DATA_HOME HOME="$casa" "$prefijo/bin/tarificador" listar >/dev/null
[[ -s $casa/.local/share/quelmar/Tarifas.Dat ]] || fallo "sin XDG_DATA_HOME no usa ~/.local/share/quelmar"

# A per-user install whose prefix is the user's own ~/.local: there share/quelmar is also the
# user's data folder. No install writes the user's catalogue: an edit survives a reinstall
# byte for byte, and a deleted catalogue comes back from the sample at the next run.
usuario=$tmp/usuario
local=$usuario/.local
catalogo=$local/share/quelmar/Tarifas.Dat
ejemplo=$local/share/quelmar/ejemplo/Tarifas.Dat
mkdir -p "$usuario"
instalar_en_local() {
    env HOME="$usuario" "$cmake" --install "$build" --prefix "$local" >"$tmp/instalado.log"
    ! grep -qxF -e "-- Installing: $catalogo" -e "-- Up-to-date: $catalogo" "$tmp/instalado.log" ||
        fallo "la instalación escribe el catálogo del usuario: $(grep -F "$catalogo" "$tmp/instalado.log")"
}
propio() { env -u XDG_DATA_HOME HOME="$usuario" "$local/bin/tarificador" "$@"; }
instalar_en_local
[[ ! -e $catalogo ]] || fallo "la instalación hizo el catálogo del usuario"
ayuda=$(propio --help)
grep -qF "$catalogo" <<<"$ayuda" || fallo "--help no nombra $catalogo: $ayuda"
! grep -qF "$local/bin/Tarifas.Dat" <<<"$ayuda" || fallo "--help nombra la carpeta del programa"
propio listar >/dev/null
cmp -s "$catalogo" "$ejemplo" || fallo "en ~/.local el catálogo del usuario no es copia del de ejemplo"
propio exportar "$tmp/propias.csv"
sed -i '2s/^Metropolitana,[^,]*,/Metropolitana,3.75,/' "$tmp/propias.csv"
propio importar "$tmp/propias.csv" 2>/dev/null
cp "$catalogo" "$tmp/editado.dat"
! cmp -s "$catalogo" "$ejemplo" || fallo "importar no cambió el catálogo en ~/.local"
instalar_en_local
cmp -s "$catalogo" "$tmp/editado.dat" || fallo "instalar de nuevo en ~/.local cambió el catálogo del usuario"
grep -q '^Metropolitana,3.75,' <<<"$(propio listar)" || fallo "tras reinstalar falta el cambio"
rm "$catalogo"
ayuda=$(propio --help)
grep -qF "$catalogo" <<<"$ayuda" || fallo "sin catálogo, --help no nombra $catalogo: $ayuda"
propio listar >/dev/null
cmp -s "$catalogo" "$ejemplo" || fallo "borrado el catálogo, no se copió de nuevo el de ejemplo"
[[ $(ls "$local/bin" | tr '\n' ' ') == "orbelle quelmar quelmar-costes tarificador " ]] ||
    fallo "el programa instalado en ~/.local escribió junto a sí: $(ls "$local/bin")"

# Run from its own folder (the build tree, a copy), the catalogue is beside the program.
grep -qF "$build/bin/Tarifas.Dat" <<<"$(env XDG_DATA_HOME="$datos" "$build/bin/tarificador" --help)" ||
    fallo "en la carpeta de compilación el catálogo no está junto al programa"
copia=$tmp/copia
mkdir "$copia"
cp "$prefijo/bin/tarificador" "$copia/"
grep -qF "$copia/Tarifas.Dat" <<<"$(env HOME="$casa" XDG_DATA_HOME="$datos" "$copia/tarificador" --help)" || fallo "una copia suelta no usa su propia carpeta"
echo "instalación comprobada en $prefijo"
