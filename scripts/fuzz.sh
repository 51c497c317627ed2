#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and runs each for a bounded time
# (side by side: about 20 s on 8 cores), then the inputs that once made one fail. A finding fails the run and is
# saved in build-fuzz/fuzz/findings/. Deps must be installed (scripts/install-deps.sh).
# FUZZ_SECONDS=n sets the seconds per target weight (default 6).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DALMANOR_FUZZ=ON -DALMANOR_FUZZ_SECONDS="${FUZZ_SECONDS:-6}" >/dev/null
cmake --build build-fuzz --target fuzz
ctest --test-dir build-fuzz --output-on-failure -j "$(nproc)"
