#!/usr/bin/env bash
# Peak memory and wall time of tarificador's costear, comparar and informe on generated logs
# of 10^5 and 10^6 calls, measured with /usr/bin/time -v (Debian package "time").
#
#   scripts/tarificador-memoria.sh [BUILD_DIR]     (default: build at the top of the repository)
#
# The logs: calls of 1 to 6 minutes every 0 to 90 minutes from 2000-01-03 on five tariffs
# of the sample catalogue, with data/bonos.json. comparar also runs with TARIFICADOR_HILOS=1
# and 2. A run of 10^6 calls takes a few seconds per command: keep it out of CI.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
programa=$build/bin/tarificador
[[ -x $programa ]] || { echo "$0: $programa is missing (build it first)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || "$root/scripts/dependencias.sh" --solo time

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$programa" importar --catalogo "$tmp" "$root/data/tarifas.csv" >/dev/null 2>&1

# The same log every run: a fixed linear congruential sequence.
generar() {
    awk -v n="$1" 'BEGIN {
        x = 12345; t = mktime("2000 01 03 08 00 00")
        split(",Provincial,Nacional,Movil,Infovía", tar, ",")
        print "inicio,fin,tarifa"
        for (i = 0; i < n; i++) {
            x = (x * 1103515245 + 12345) % 2147483648; t += x % 5400
            x = (x * 1103515245 + 12345) % 2147483648; e = t + 60 + x % 301
            x = (x * 1103515245 + 12345) % 2147483648
            print strftime("%Y-%m-%dT%H:%M:%S", t) "," strftime("%Y-%m-%dT%H:%M:%S", e) "," tar[1 + x % 5]
            t = e
        }
    }'
}

medir() {  # etiqueta, then the command
    local etiqueta=$1
    shift
    /usr/bin/time -v "$@" >/dev/null 2>"$tmp/time.txt" || true
    local kb segundos cpu
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$tmp/time.txt")
    segundos=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$tmp/time.txt")
    cpu=$(awk -F': ' '/(User|System) time/ {s += $2} END {print s}' "$tmp/time.txt")
    printf '%-28s pico %6.1f MB   tiempo %s   procesador %s s\n' "$etiqueta" \
        "$(awk -v k="$kb" 'BEGIN {print k / 1024}')" "$segundos" "$cpu"
}

for n in 100000 1000000; do
    generar "$n" >"$tmp/log-$n.csv"
done
for n in 100000 1000000; do
    log=$tmp/log-$n.csv
    comun=(--catalogo "$tmp" --bonos "$root/data/bonos.json" "$log")
    medir "costear $n" "$programa" costear "${comun[@]}"
    for h in 1 2; do
        medir "comparar $n (hilos $h)" env TARIFICADOR_HILOS=$h "$programa" comparar "${comun[@]}"
    done
    medir "informe $n" "$programa" informe --salida "$tmp/informe.html" "${comun[@]}"
done
