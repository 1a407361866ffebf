#!/usr/bin/env bash
# CI: each fuzz target of fuzz/ for a bounded time (FUZZ_SECONDS, default 60)
# from its seed corpus in fuzz/corpus/. A crash, a sanitizer report, a broken
# property, a leak or a slow input fails the run and leaves the input that
# caused it in the build folder.
#   bash tools/ci-fuzz.sh              (build folder build-fuzz, or ORVANE_FUZZ_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
build=${ORVANE_FUZZ_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}

# clang 14 and its runtime libraries: on Debian 12 libclang-rt-14-dev holds
# libFuzzer (-fsanitize=fuzzer) and FuzzedDataProvider.h.
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A build folder configured from elsewhere (fuzz/ on its own, before) starts afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$PWD" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DORVANE_FUZZ=ON -DORVANE_WERROR=ON
cmake --build "$build" -j"$(nproc)"

status=0
for corpus in fuzz/corpus/*/; do
  target=$(basename "$corpus")
  work="$build/corpus/$target"
  log="$build/$target.log"
  mkdir -p "$work"
  # New inputs go to the build folder; the seeds in the repository stay as they are.
  if "$build/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$build/$target-" "$work" "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${runs:-?} executions in ${seconds} s, no failure"
  else
    tail -n 60 "$log"
    echo "$target: FAILED (input kept as $build/$target-*)"
    status=1
  fi
done
exit $status
