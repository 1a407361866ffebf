#!/usr/bin/env bash
# CI: the whole test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (LeakSanitizer at every exit), then the core's
# tests (device object, wheel operations, simulated wheel) with
# ThreadSanitizer. The first report of any sanitizer ends the test with an error.
#   bash tools/ci-sanitizers.sh        (build folders build-asan and build-tsan)
# ORVANE_ASAN_DIR and ORVANE_TSAN_DIR choose other build folders.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
asan=${ORVANE_ASAN_DIR:-build-asan}
tsan=${ORVANE_TSAN_DIR:-build-tsan}
jobs=$(nproc)

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer: the whole test suite"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZE="address;undefined" -DORVANE_WERROR=ON
cmake --build "$asan" -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$asan" --output-on-failure -j2

echo "== ThreadSanitizer: the core and the simulated wheel"
cmake -S . -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_CORE_ONLY=ON -DORVANE_SANITIZE=thread -DORVANE_WERROR=ON
cmake --build "$tsan" -j"$jobs"
ctest --test-dir "$tsan" --output-on-failure -j2
