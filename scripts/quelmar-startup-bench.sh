#!/usr/bin/env bash
# Start-up time of quelmar next to a bare Qt window, and the time of "&Restaurar".
#
#   scripts/quelmar-startup-bench.sh [BUILD_DIR]   (default: build-quelmar-bench at the top)
#
# Configures and builds BUILD_DIR (RelWithDebInfo, benchmarks on), then measures, RUNS times each
# (default 11), interleaved, the wall time from starting a program to the end of its first
# paint: a bare window of the editor's size, the same window with one line of text (it pays
# the font set-up, about 5 ms, that the bare one does not), quelmar on a catalogue of 12
# tariffs and quelmar on one of 32766. Quelmar is measured as quelmar_arranque, the same
# sources built to end after their first paint (the shipped program reads no environment). Medians and ratios to the bare window are printed, then the
# Google Benchmark figures of Restaurar (model alone, and through the Qt window).
# Environment:
#   RUNS             runs per program (default 11)
#   QT_QPA_PLATFORM  platform plugin (default offscreen); with BENCH_XVFB=1 the measurements
#                    run on a private Xvfb display under the xcb plugin instead
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-quelmar-bench}
runs=${RUNS:-11}

if [[ ${BENCH_XVFB:-0} == 1 && -z ${BENCH_EN_XVFB:-} ]]; then
    command -v xvfb-run >/dev/null || { echo "$0: xvfb-run is missing" >&2; exit 1; }
    exec env BENCH_EN_XVFB=1 QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

if ! salida=$(cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUELMAR_BENCH=ON -DQUELMAR_TESTS=OFF -DQUELMAR_GUI=ON 2>&1 &&
    ninja -C "$build" -j2 quelmar_arranque quelmar_bare_window quelmar_hacer_catalogo editor_bench \
        editor_qt_bench 2>&1); then
    echo "$salida" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Quelmar reads Tarifas.Dat next to its executable: one copy per catalogue.
for n in 12 32766; do
    mkdir "$work/c$n"
    cp "$build/bin/quelmar_arranque" "$work/c$n/quelmar"
    "$build/bin/quelmar_hacer_catalogo" "$work/c$n" "$n"
done
bare=$build/bin/quelmar_bare_window

# Milliseconds from start to exit of one run; the program ends right after its first paint.
run_ms() {
    local t0 t1 out
    t0=$EPOCHREALTIME
    out=$("$@" 2>/dev/null)
    t1=$EPOCHREALTIME
    [[ $out == painted ]] || { echo "$0: $1 did not paint" >&2; exit 1; }
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One warm-up run each, so that every program starts from a warm file cache.
run_ms "$bare" >/dev/null
run_ms "$bare" --texto >/dev/null
run_ms "$work/c12/quelmar" >/dev/null
run_ms "$work/c32766/quelmar" >/dev/null

: >"$work/bare"
: >"$work/texto"
: >"$work/q12"
: >"$work/q32766"
for _ in $(seq "$runs"); do
    run_ms "$bare" >>"$work/bare"
    run_ms "$bare" --texto >>"$work/texto"
    run_ms "$work/c12/quelmar" >>"$work/q12"
    run_ms "$work/c32766/quelmar" >>"$work/q32766"
done

m_bare=$(median <"$work/bare")
m_texto=$(median <"$work/texto")
m12=$(median <"$work/q12")
m32766=$(median <"$work/q32766")
echo "Start to first paint, median of $runs runs, platform $QT_QPA_PLATFORM:"
printf '  bare window          %8.1f ms\n' "$m_bare"
awk -v q="$m_texto" -v b="$m_bare" 'BEGIN { printf "  bare window, text    %8.1f ms  %.2fx\n", q, q / b }'
awk -v q="$m12" -v b="$m_bare" -v t="$m_texto" 'BEGIN { printf "  quelmar, 12 tariffs  %8.1f ms  %.2fx (goal 1.2x), %.2fx of the text window\n", q, q / b, q / t }'
awk -v q="$m32766" -v b="$m_bare" -v t="$m_texto" 'BEGIN { printf "  quelmar, 32766      %8.1f ms  %.2fx (goal 1.5x), %.2fx of the text window\n", q, q / b, q / t }'
echo
echo "Restaurar:"
"$build/bin/editor_bench" --benchmark_filter=Restaurar 2>/dev/null | grep BM_
"$build/bin/editor_qt_bench" 2>/dev/null | grep BM_
