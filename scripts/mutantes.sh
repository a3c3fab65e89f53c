#!/usr/bin/env bash
# Mutation campaign: plants each small fault of scripts/mutantes.txt, one at a time, in a
# scratch copy of the tree and checks that the tests notice it.
#   scripts/mutantes.sh [N...]   only the mutations numbered N (from 1, in list order)
#   scripts/mutantes.sh --comprobar   only checks that every pattern still matches one line
# The copy and its build live in build-mutantes/ (or $MUTANTES_BUILD): the working tree is
# only read. For each mutation the line is edited in the copy, the copy is rebuilt
# incrementally (no windows, benchmarks or install rules: only what the tests need) and
# ctest runs without the install checks and the browser check ($MUTANTES_EXCLUIR), each test
# at most $MUTANTES_TIEMPO seconds (default 120), stopping at the first failure. Then the
# file is restored. Prints a table and the score; exits 1 when a mutation that is not marked
# equivalent survives (or does not compile, or one marked equivalent is killed), 2 when a
# pattern of the list does not match exactly one line.
#
# scripts/mutantes.txt: blocks separated by blank lines, "#" lines are comments.
#   fichero: src/bono/cBono.cpp          the file, from the root
#   buscar: tipo == 1 || tipo == 3       text that occurs on exactly one line of it
#   poner: tipo == 1                     what replaces that text
#   porque: ...                          why a programmer could write it
#   equivalente: ...                     (optional) why no test can tell it apart
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD
lista=scripts/mutantes.txt
dir=${MUTANTES_BUILD:-build-mutantes}
case $dir in /*) ;; *) dir=$raiz/$dir ;; esac
fuente=$dir/fuente
obra=$dir/obra
tiempo=${MUTANTES_TIEMPO:-120}
excluir=${MUTANTES_EXCLUIR:-install|informe_loads_in_chromium}

# ---- the list ----
ficheros=() buscas=() poneres=() porques=() equivalentes=()
anadir() {
    if [ -n "$f$b" ]; then
        ficheros+=("$f") buscas+=("$b") poneres+=("$p") porques+=("$q") equivalentes+=("$e")
    fi
    f='' b='' p='' q='' e=''
}
f='' b='' p='' q='' e=''
while IFS= read -r linea || [ -n "$linea" ]; do
    case $linea in
        '#'*) ;;
        '') anadir ;;
        fichero:*) f=${linea#fichero:} f=${f# } ;;
        buscar:*) b=${linea#buscar:} b=${b# } ;;
        poner:*) p=${linea#poner:} p=${p# } ;;
        porque:*) q=${linea#porque:} q=${q# } ;;
        equivalente:*) e=${linea#equivalente:} e=${e# } ;;
        *) echo "$lista: línea no reconocida: $linea" >&2; exit 2 ;;
    esac
done <"$lista"
anadir
total=${#ficheros[@]}

# Line of the one match of a text in a file (fixed text, not a pattern); "" otherwise.
unica() {
    BUSCAR=$2 awk 'index($0, ENVIRON["BUSCAR"]) { n++; l = NR } END { if (n == 1) print l }' "$1"
}

errores=0
lineas=()
for ((i = 0; i < total; i++)); do
    n=$((i + 1))
    if [ -z "${ficheros[i]}" ] || [ -z "${buscas[i]}" ] || [ -z "${porques[i]}" ]; then
        echo "mutación $n: falta fichero, buscar o porque" >&2
        errores=1
        lineas+=("")
        continue
    fi
    if [ ! -f "${ficheros[i]}" ]; then
        echo "mutación $n: no existe ${ficheros[i]}" >&2
        errores=1
        lineas+=("")
        continue
    fi
    l=$(unica "${ficheros[i]}" "${buscas[i]}")
    if [ -z "$l" ]; then
        veces=$(BUSCAR=${buscas[i]} awk 'index($0, ENVIRON["BUSCAR"]) { n++ } END { print n + 0 }' \
            "${ficheros[i]}")
        echo "mutación $n: «${buscas[i]}» está en $veces líneas de ${ficheros[i]}, no en una" >&2
        errores=1
    fi
    lineas+=("$l")
done
[ "$errores" = 0 ] || exit 2
if [ "${1:-}" = --comprobar ]; then
    echo "$total mutaciones, cada una en una sola línea"
    exit 0
fi

elegidas=("$@")
if [ ${#elegidas[@]} -eq 0 ]; then
    for ((i = 1; i <= total; i++)); do elegidas+=("$i"); done
fi
for n in "${elegidas[@]}"; do
    if ! [[ $n =~ ^[0-9]+$ ]] || [ "$n" -lt 1 ] || [ "$n" -gt "$total" ]; then
        echo "no hay mutación $n (la lista tiene $total)" >&2
        exit 2
    fi
done

# ---- the scratch copy: the working tree's files, copied only when they differ, so that
# the build stays incremental ----
mkdir -p "$fuente"
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' r; do
    [ -f "$r" ] || continue
    if ! cmp -s "$r" "$fuente/$r"; then
        mkdir -p "$fuente/$(dirname "$r")"
        cp "$r" "$fuente/$r"
    fi
done

# Whatever happens, the file being mutated is put back (with a new time, so that the next
# build recompiles it).
actual=''
restaurar() {
    if [ -n "$actual" ]; then
        cp "$raiz/$actual" "$fuente/$actual"
        actual=''
    fi
}
trap restaurar EXIT
trap 'restaurar; exit 130' INT TERM

cmake -S "$fuente" -B "$obra" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELMAR_TESTS=ON \
      -DQUELMAR_TOOLS=ON -DQUELMAR_GUI=OFF -DQUELMAR_BENCH=OFF -DQUELMAR_INSTALL=OFF >/dev/null
echo "compilando la copia sin mutaciones..." >&2
cmake --build "$obra" -j2 >"$dir/base.log" 2>&1 || {
    echo "la copia sin mutaciones no compila ($dir/base.log)" >&2
    exit 2
}
if ! ctest --test-dir "$obra" -j2 -E "$excluir" --timeout "$tiempo" >"$dir/base-ctest.log" 2>&1; then
    echo "las pruebas fallan sin mutaciones ($dir/base-ctest.log)" >&2
    exit 2
fi

muertos=0 vivos=0 equivalentes_vivos=0 malos=0
tabla=()
for n in "${elegidas[@]}"; do
    i=$((n - 1))
    f=${ficheros[i]}
    log=$dir/mutante-$n.log
    actual=$f
    BUSCAR=${buscas[i]} PONER=${poneres[i]} awk '
        BEGIN { b = ENVIRON["BUSCAR"]; p = ENVIRON["PONER"] }
        { k = index($0, b); if (k) $0 = substr($0, 1, k - 1) p substr($0, k + length(b)); print }
    ' "$raiz/$f" >"$fuente/$f"
    inicio=$(date +%s)
    # Without the times of earlier runs ctest starts in the order the tests are declared,
    # lower layers first: a fault in the engine is caught by its own fast tests first.
    rm -f "$obra/Testing/Temporary/CTestCostData.txt"
    if ! cmake --build "$obra" -j2 >"$log" 2>&1; then
        estado='no compila'
        malos=$((malos + 1))
    elif ctest --test-dir "$obra" -j2 -E "$excluir" --timeout "$tiempo" --stop-on-failure \
            >>"$log" 2>&1; then
        if [ -n "${equivalentes[i]}" ]; then
            estado=equivalente
            equivalentes_vivos=$((equivalentes_vivos + 1))
        else
            estado=VIVO
            vivos=$((vivos + 1))
        fi
    else
        # The first test that failed names what caught it.
        prueba=$(sed -n 's/^[[:space:]]*[0-9]\+ - \(.*\) (\(Failed\|Timeout\|Subprocess aborted\|SEGFAULT\|Exception\|Child aborted\).*/\1/p' \
            "$log" | head -1)
        estado="muerto: ${prueba:-?}"
        if [ -n "${equivalentes[i]}" ]; then
            estado="muerto, pero se dice equivalente: ${prueba:-?}"
            malos=$((malos + 1))
        else
            muertos=$((muertos + 1))
        fi
    fi
    restaurar
    segundos=$(($(date +%s) - inicio))
    fila=$(printf '%3d  %-28s %4ds  %s' "$n" "$f:${lineas[i]}" "$segundos" "$estado")
    tabla+=("$fila" "      ${porques[i]}")
    echo "$fila" >&2
done

echo
printf '%3s  %-28s %5s  %s\n' n "fichero:línea" tiempo resultado
printf '%s\n' "${tabla[@]}"
contadas=$((muertos + vivos))
echo
echo "muertas $muertos de $contadas no equivalentes ($((contadas ? 100 * muertos / contadas : 100)) %);" \
     "equivalentes vivas $equivalentes_vivos; no compilan o mal marcadas $malos"
[ "$vivos" = 0 ] && [ "$malos" = 0 ] || exit 1
