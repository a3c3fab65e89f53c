#!/usr/bin/env bash
# Proves that a change to how tarificador works inside moves no byte of what it writes:
# every run of the tool tests goes through both binaries, the one from before the change
# and the one after, and any difference in standard output, standard error, exit status or
# output files is logged.
#   scripts/mismas-salidas.sh ANTES [BUILD]
# ANTES is a tarificador built before the change; BUILD (default build/) holds the one after.
# Prints the number of runs compared and the differing ones; exits 1 when one differs.
set -euo pipefail
antes=$(realpath "$1")
build=$(realpath "${2:-build}")
nuevo="$build/bin/tarificador"
[ -x "$antes" ] && [ -x "$nuevo" ] || { echo "uso: $0 TARIFICADOR-ANTES [BUILD]" >&2; exit 2; }
registro=$(mktemp -d)
guardado="$build/bin/tarificador.despues"
cp "$nuevo" "$guardado"
trap 'mv -f "$guardado" "$nuevo"' EXIT
cat >"$nuevo" <<EOF
#!/usr/bin/env bash
# Both binaries on the same input; the test sees what the new one does.
antes='$antes'; nuevo='$guardado'; registro='$registro'
EOF
cat >>"$nuevo" <<'EOF'
case "${1:-}" in
    costear|comparar|informe) case " $* " in *" --help "*|*" -h "*) exec "$nuevo" "$@" ;; esac ;;
    *) exec "$nuevo" "$@" ;;
esac
n=$(mktemp -d "$registro/run.XXXXXX")
printf '%q ' "$@" >"$n/args"
if [ -t 0 ]; then : >"$n/in"; else cat >"$n/in"; fi
salidas=()
prev=
for a in "$@"; do
    case "$prev" in
        --salida|--salida-bonos|--salida-totales)
            # A pipe or a device is read once, by the test: only the new binary writes it.
            if [ "$a" != - ] && [ -e "$a" ] && [ ! -f "$a" ]; then rm -rf "$n"; exec "$nuevo" "$@"; fi
            [ "$a" = - ] || salidas+=("$a") ;;
    esac
    prev=$a
done
"$antes" "$@" <"$n/in" >"$n/out1" 2>"$n/err1" && rc1=0 || rc1=$?
k=0
for s in "${salidas[@]}"; do [ -f "$s" ] && cp "$s" "$n/f1.$k"; k=$((k + 1)); done
"$nuevo" "$@" <"$n/in" >"$n/out2" 2>"$n/err2" && rc2=0 || rc2=$?
k=0
for s in "${salidas[@]}"; do [ -f "$s" ] && cp "$s" "$n/f2.$k"; k=$((k + 1)); done
echo "$rc1" >"$n/rc1"; echo "$rc2" >"$n/rc2"
cat "$n/out2"; cat "$n/err2" >&2
exit "$rc2"
EOF
chmod +x "$nuevo"
ctest --test-dir "$build" -R '^(Bordes|Catalogo|Centralitas|Comparar|Costear|Destinos|Salidas|Tarificador|ImportarYQuelmar|Cobrado|RegistroAsterisk)\.' \
    -j2 >"$registro/ctest.log" 2>&1 || true
total=0 distintas=0
for n in "$registro"/run.*; do
    total=$((total + 1))
    if ! cmp -s "$n/out1" "$n/out2" || ! cmp -s "$n/err1" "$n/err2" || ! cmp -s "$n/rc1" "$n/rc2"; then
        distintas=$((distintas + 1)); echo "distinta: $(cat "$n/args")  ($n)"
        continue
    fi
    for f in "$n"/f1.*; do
        [ -e "$f" ] || continue
        cmp -s "$f" "${f/f1./f2.}" || { distintas=$((distintas + 1)); echo "fichero distinto: $(cat "$n/args")  ($n)"; }
    done
done
echo "$total ejecuciones comparadas, $distintas distintas (registro en $registro; ctest en $registro/ctest.log)"
[ "$distintas" -eq 0 ]
