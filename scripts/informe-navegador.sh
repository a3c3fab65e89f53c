#!/usr/bin/env bash
# The report of the sample data opened in a real browser, headless Chromium, as a desktop
# window and as a phone: the page must load with no error and no request outside the file,
# show its title, summary, charts and table, and its picture must not be blank.
#
#   scripts/informe-navegador.sh [TARIFICADOR] [PICTURE.png]
#
# With a second argument, the desktop picture is kept there (the README's picture).
# Needs chromium and ImageMagick (scripts/dependencias.sh installs them); exits 77 when
# one is missing, 1 when a check fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tarificador=${1:-$root/build/bin/tarificador}
foto=${2:-}
for tool in chromium identify; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing: skipped" >&2; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fallo() { echo "$0: $*" >&2; exit 1; }

datos=$root/data
"$tarificador" importar --catalogo "$work" "$datos/tarifas.csv" 2>/dev/null
LC_ALL=C "$tarificador" informe --catalogo "$work" --bonos "$datos/bonos.json" \
    --festivos "$datos/festivos.txt" --salida "$work/informe.html" "$datos/llamadas.csv" \
    2>/dev/null
pagina="file://$work/informe.html"
navegador=(chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars --no-first-run
           --user-data-dir="$work/perfil" --enable-logging=stderr --v=0)

# The DOM once loaded: what a reader sees is there.
"${navegador[@]}" --dump-dom "$pagina" >"$work/dom.html" 2>"$work/dom.log" ||
    fallo "chromium could not load the page: $(tail -3 "$work/dom.log")"
for texto in "Informe de llamadas" "Importe total" "Importe por día" "Cuándo se llama" \
             "Tiempo de bono que queda" "más barata" "<table>"; do
    grep -q "$texto" "$work/dom.html" || fallo "the loaded page lacks «$texto»"
done
[ "$(grep -o '<svg class="grafico"' "$work/dom.html" | wc -l)" -eq 4 ] ||
    fallo "the loaded page has not its four charts"

for ancho in 1000 412; do
    png=$work/informe-$ancho.png
    "${navegador[@]}" --window-size="$ancho,2800" --screenshot="$png" "$pagina" \
        >"$work/$ancho.log" 2>&1 || fallo "chromium failed at width $ancho"
    # The page's own errors: console messages, failed loads, blocked requests.
    if grep -E "CONSOLE|Uncaught|net::ERR|Failed to load|Refused" "$work/$ancho.log" "$work/dom.log"; then
        fallo "the page reported errors at width $ancho"
    fi
    [ -s "$png" ] || fallo "no picture at width $ancho"
    read -r w colores desviacion < <(identify -format '%w %k %[fx:standard_deviation]\n' "$png")
    [ "$w" -eq "$ancho" ] || fallo "picture $w wide, not $ancho"
    # Text, bars and patterns: many colours and far from one flat shade.
    awk -v c="$colores" -v d="$desviacion" 'BEGIN { exit !(c > 50 && d > 0.05) }' ||
        fallo "the picture at width $ancho looks blank ($colores colours, deviation $desviacion)"
done
if [ -n "$foto" ]; then cp "$work/informe-1000.png" "$foto"; fi
echo "informe: loaded in Chromium, four charts, not blank at 1000 and 412 pixels"
