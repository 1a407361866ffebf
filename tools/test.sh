#!/usr/bin/env bash
# Builds Orvane and runs every test against the simulated wheel. The
# benchmarks are built too (not run), so they keep compiling.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCH=ON -DORVANE_WERROR=ON
cmake --build build -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j2
