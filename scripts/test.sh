#!/usr/bin/env bash
# Installs what is missing, builds Almanor with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every test offscreen, then runs the fuzz targets for about a minute (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DALMANOR_SANITIZE=ON >/dev/null
cmake --build build-test
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
bash scripts/fuzz.sh
