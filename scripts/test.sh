#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   scripts/test.sh          normal build in build/, then the fuzz targets briefly
#   scripts/test.sh --asan   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/dependencias.sh
dir=build
# Everything, also in a build folder that scripts/quelmar.sh configured for the window only.
opts=(-DQUELMAR_TESTS=ON -DQUELMAR_BENCH=ON -DQUELMAR_TOOLS=ON -DQUELMAR_GUI=ON)
if [ "${1:-}" = "--asan" ]; then
    dir=build-asan
    opts+=(-DQUELMAR_SANITIZE=ON -DQUELMAR_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi
cmake -S . -B "$dir" -G Ninja "${opts[@]}"
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2
# The fuzz targets (a clang build of their own): every regression input once, then a few
# seconds of fuzzing each from its seeds. Longer campaigns: scripts/fuzz.sh SECONDS.
if [ "$dir" = build ]; then
    scripts/fuzz.sh "${QUELMAR_FUZZ_SEGUNDOS:-5}"
fi
