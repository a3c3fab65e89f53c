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

# Pages that once went wrong, on a 390-pixel phone: the sample; two calls 9 890 years apart
# and out of time order; a bono with an hour and a half left (grid every half hour); no
# --bonos. Measured in the page itself, in a frame 390 pixels wide (Chromium's window is at
# least 500): nothing but a chart's own scroller is wider than the screen, and nothing drawn
# leaves its chart's view box.
printf '9990-06-01T10:00:00,9990-06-01T10:30:00\n0100-03-01T10:00:00,0100-03-01T10:20:00\n' \
    >"$work/siglos.csv"
printf '{"dia_factura": 1, "bonos": [{"tipo": "10DIA", "alta": "1999-12-01T00:00:00", "tiempo": "01:30:00"}]}' \
    >"$work/hora-y-media.json"
printf '1999-12-27T10:00:00,1999-12-27T10:20:00\n1999-12-28T11:00:00,1999-12-28T11:15:00\n' \
    >"$work/diciembre.csv"
informe() {
    local nombre=$1; shift
    LC_ALL=C "$tarificador" informe --catalogo "$work" --salida "$work/$nombre.html" "$@" 2>/dev/null
}
informe muestra --bonos "$datos/bonos.json" "$datos/llamadas.csv"
informe siglos --bonos "$datos/bonos.json" "$work/siglos.csv"
informe media --bonos "$work/hora-y-media.json" "$work/diciembre.csv"
informe sinbonos "$datos/llamadas.csv"
medida='<script>
let fuera = [];
for (const svg of document.querySelectorAll("svg.grafico")) {
  const v = svg.viewBox.baseVal;
  for (const e of svg.querySelectorAll("line,polyline,rect,circle,text,path")) {
    const b = e.getBBox();
    if (b.x < v.x - 0.5 || b.y < v.y - 0.5 || b.x + b.width > v.x + v.width + 0.5 ||
        b.y + b.height > v.y + v.height + 0.5)
      fuera.push(e.outerHTML.slice(0, 90));
  }
}
parent.postMessage(document.documentElement.scrollWidth + " " + innerWidth + " " +
  fuera.length + " " + fuera.slice(0, 2).join(" | "), "*");
</script>'
for nombre in muestra siglos media sinbonos; do
    sed "s|</body>|$(tr '\n' ' ' <<<"$medida" | sed 's/[&|]/\\&/g')</body>|" "$work/$nombre.html" \
        >"$work/$nombre-medida.html"
    cat >"$work/$nombre-marco.html" <<MARCO
<!DOCTYPE html><html><body style="margin:0"><iframe src="$nombre-medida.html" width="390"
height="2000" style="border:0;display:block"></iframe><script>
addEventListener("message", e => { document.body.dataset.medida = e.data; });</script></body></html>
MARCO
    "${navegador[@]}" --virtual-time-budget=5000 --dump-dom "file://$work/$nombre-marco.html" \
        >"$work/$nombre-dom.html" 2>/dev/null || fallo "chromium could not load $nombre"
    read -r ancho ventana fuera ejemplo < <(grep -o 'data-medida="[^"]*"' "$work/$nombre-dom.html" |
                                            sed 's/data-medida="//; s/"$//')
    [ "$ventana" = 390 ] || fallo "$nombre: the window is $ventana pixels wide, not 390"
    [ "$ancho" = "$ventana" ] || fallo "$nombre: the page is $ancho pixels wide on a $ventana-pixel screen"
    [ "$fuera" = 0 ] || fallo "$nombre: $fuera shapes outside their chart: $ejemplo"
done
tamano=$(stat -c %s "$work/siglos.html")
[ "$tamano" -lt 1000000 ] || fallo "a log over centuries makes a page of $tamano bytes"
grep -q 'recargas, una al empezar cada periodo' "$work/siglos.html" ||
    fallo "the page over centuries does not say that it summarised the refills"
grep -q '>0,5 h<' "$work/media.html" || fallo "a grid every half hour is not labelled 0,5 h"
! grep -q '(1 llamadas' "$work/muestra.html" || fallo "«(1 llamadas)» in a tooltip"
! grep -q 'Bono de día: usado' "$work/sinbonos.html" || fallo "bono boxes in a summary without --bonos"
grep -q 'Bono de día: usado' "$work/muestra.html" || fallo "no bono boxes in a summary with --bonos"
echo "informe: loaded in Chromium, four charts, not blank at 1000 and 412 pixels;" \
     "at 390 no page wider than the screen nor shape outside its chart; centuries in $tamano bytes"
