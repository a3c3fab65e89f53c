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
