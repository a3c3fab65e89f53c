#!/bin/sh
# Memory and time of costear on a PBX's Master.csv of 10^5 and 10^6 records, next to the
# plain log of the same calls, measured with /usr/bin/time -v (Debian package "time").
# Usage: scripts/centralita-memoria.sh [BUILD]   (BUILD: the build folder, default build)
set -eu
build=${1:-build}
bench=$(find "$build" -name centralita_bench -type f | head -n 1)
tarificador=$(find "$build" -name tarificador -type f -perm -u+x | head -n 1)
[ -x /usr/bin/time ] || { echo "falta /usr/bin/time (apt-get install time)" >&2; exit 77; }
[ -n "$bench" ] && [ -n "$tarificador" ] || { echo "compile centralita_bench" >&2; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
medir() {  # label, then the command
    etiqueta=$1; shift
    /usr/bin/time -v "$@" >/dev/null 2>"$dir/t" || true
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$dir/t")
    seg=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$dir/t")
    usr=$(sed -n 's/.*User time (seconds): //p' "$dir/t")
    printf '%-28s máx. RSS %8s kB   usuario %6s s   reloj %s\n' "$etiqueta" "$rss" "$usr" "$seg"
}
for n in 100000 1000000; do
    mkdir -p "$dir/$n"
    "$bench" --escribir "$dir/$n" "$n"
    medir "asterisk $n registros" "$tarificador" costear --catalogo "$dir/$n" \
        --formato asterisk --destinos "$dir/$n/destinos.csv" "$dir/$n/Master.csv"
    medir "plano, mismas llamadas" "$tarificador" costear --catalogo "$dir/$n" \
        "$dir/$n/llamadas.csv"
    medir "asterisk --por origen" "$tarificador" costear --catalogo "$dir/$n" \
        --formato asterisk --destinos "$dir/$n/destinos.csv" --por origen \
        --salida-totales "$dir/$n/totales.csv" "$dir/$n/Master.csv"
done
# A numbering plan of 10^6 prefixes over the same tariffs, and a few records: what a row of
# the destination table costs (the file's own text is held while it is read).
awk -F, 'NR > 1 { t[++n] = $2 }
         END { print "prefijo,tarifa"; for (i = 0; i < 1000000; i++) printf "%d,%s\n", 3000000000 + 7 * i, t[i % n + 1] }' \
    "$dir/100000/destinos.csv" >"$dir/plan.csv"
head -n 100 "$dir/100000/Master.csv" >"$dir/cien.csv"
medir "10^6 prefijos, 100 registros" "$tarificador" costear --catalogo "$dir/100000" \
    --formato asterisk --destinos "$dir/plan.csv" "$dir/cien.csv"
