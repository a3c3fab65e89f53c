#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/, or $FUZZ_BUILD) and fuzzes each in
# turn.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   SECONDS per target (default 600)
# First every regression input of fuzz/regresiones/<target>/ is run once; then the target
# fuzzes for SECONDS from its seeds (fuzz/corpus/<target>/) and what earlier runs found
# (build-fuzz/corpus/<target>/). A crash is kept in build-fuzz/fallos/<target>/ and the
# run goes on with the time left. Prints per target: executions, executions per second,
# crashes; exits 1 if a regression input or the fuzzing crashed.
set -euo pipefail
cd "$(dirname "$0")/.."
segundos=${1:-600}
shift || true
objetivos=("$@")
[ ${#objetivos[@]} -eq 0 ] && objetivos=(catalogo tiempo fechas periodo bono datos csv bonos_json costear registros destinos centralita)
dir=${FUZZ_BUILD:-build-fuzz}

cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUELMAR_FUZZ=ON -DQUELMAR_GUI=OFF -DQUELMAR_TESTS=OFF -DQUELMAR_BENCH=OFF >/dev/null
cmake --build "$dir" --target "${objetivos[@]/#/fuzz_}"

fallo=0
tabla=()
for t in "${objetivos[@]}"; do
    bin=$dir/bin/fuzz_$t
    trabajo=$dir/corpus/$t
    fallos=$dir/fallos/$t
    mkdir -p "$trabajo" "$fallos"
    opciones=(-timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
    [ "$t" = catalogo ] && opciones+=(-max_len=8192)

    regresiones=(fuzz/regresiones/$t/*)
    if [ -e "${regresiones[0]}" ]; then
        if ! "$bin" "${opciones[@]}" "${regresiones[@]}" >"$dir/$t-regresiones.log" 2>&1; then
            echo "$t: falla una entrada de regresión ($dir/$t-regresiones.log)" >&2
            fallo=1
        fi
    fi

    ejecuciones=0
    caidas=0
    inicio=$(date +%s)
    while true; do
        resto=$((segundos - ($(date +%s) - inicio)))
        [ "$resto" -le 0 ] && break
        log=$dir/$t-fuzz.log
        if "$bin" "${opciones[@]}" -max_total_time="$resto" -artifact_prefix="$fallos/" \
                "$trabajo" "fuzz/corpus/$t" >"$log" 2>&1; then
            terminado=1
        else
            terminado=0
            caidas=$((caidas + 1))
            cp "$log" "$fallos/caida-$caidas.log"
            echo "$t: caída, entrada en $fallos/ (registro en $fallos/caida-$caidas.log)" >&2
        fi
        # Executions: the final stats, or the last progress line when it crashed.
        n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        [ -z "$n" ] && n=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
        ejecuciones=$((ejecuciones + ${n:-0}))
        [ "$terminado" = 1 ] && break
    done
    duracion=$(($(date +%s) - inicio))
    [ "$duracion" -eq 0 ] && duracion=1
    [ "$caidas" -gt 0 ] && fallo=1
    tabla+=("$(printf '%-12s %12d %10d %8d' "$t" "$ejecuciones" $((ejecuciones / duracion)) "$caidas")")
done

printf '%-12s %12s %10s %8s\n' objetivo ejecuciones "ejec/s" caidas
printf '%s\n' "${tabla[@]}"
exit $fallo
