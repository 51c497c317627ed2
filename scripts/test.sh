#!/usr/bin/env bash
# Installs what is missing, builds Almanor with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every test offscreen, then, when all passed, runs the fuzz targets (about 20 s on 8 cores)
# (scripts/fuzz.sh). The benchmarks are not built here: bench/compare.sh builds and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DALMANOR_SANITIZE=ON -DALMANOR_BENCH=OFF >/dev/null
cmake --build build-test
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
bash scripts/fuzz.sh
