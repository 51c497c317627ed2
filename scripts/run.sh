#!/usr/bin/env bash
# Installs what is missing, builds Almanor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DALMANOR_TESTS=OFF -DALMANOR_BENCH=OFF >/dev/null
cmake --build build
# Without a display the program says so and how to start it under xvfb-run.
exec ./build/almanor
