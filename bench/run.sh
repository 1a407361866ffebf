#!/usr/bin/env bash
# Builds the benchmarks and runs every one of them under Xvfb and under the
# offscreen platform, then prints one table: figure, goal, measured, result.
#
#   bash bench/run.sh            full run (about 15 minutes)
#   bash bench/run.sh --quick    shorter streams and idle time, for a look
#   bash bench/run.sh --update   full run, and the table goes into BENCHMARKS.md
#
# ORVANE_BENCH_BUILD names the build directory (default build-bench).
# Exits non-zero when a figure misses its goal.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
build=${ORVANE_BENCH_BUILD:-build-bench}
quick=0
update=0
for arg in "$@"; do
  case $arg in
    --quick) quick=1 ;;
    --update) update=1 ;;
    *) echo "unknown option $arg" >&2; exit 2 ;;
  esac
done

targets="bench-floor bench-startup bench-startup-probe bench-form-probe bench-live bench-decode bench-connect bench-led
         bench-firmware bench-idle bench-soak"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_BENCH=ON >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" --target $targets >/dev/null
bin=$build/bench

if [ $quick = 1 ]; then
  live="--seconds 5 --turn-seconds 1"; idle="--seconds 20"; soak="--reports 360000"; runs="--runs 10"
else
  live="--seconds 30"; idle="--seconds 120"; soak="--reports 3600000"; runs="--runs 15"
fi

# A display of our own for the xcb runs.
display=""
for n in $(seq 99 140); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "no free X display number" >&2; exit 2; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

out=$build/bench-results.tsv
log=$build/bench-log.txt
: >"$out"
: >"$log"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

run() {  # platform, program, arguments...
  local platform=$1; shift
  local program=$1; shift
  echo "== $platform: $program $*" >&2
  if [ "$platform" = xcb ]; then
    env QT_QPA_PLATFORM=xcb DISPLAY="$display" "$bin/$program" "$@" >>"$out" 2>>"$log" ||
      echo -e "RESULT\t$platform\t$program\tran to the end\texit status $?\tFAIL" >>"$out"
  else
    env -u DISPLAY QT_QPA_PLATFORM=offscreen "$bin/$program" "$@" >>"$out" 2>>"$log" ||
      echo -e "RESULT\t$platform\t$program\tran to the end\texit status $?\tFAIL" >>"$out"
  fi
}

for platform in xcb offscreen; do
  # shellcheck disable=SC2086
  run $platform bench-startup "$bin/bench-floor" "$bin/bench-startup-probe" --form "$bin/bench-form-probe" $runs
  # shellcheck disable=SC2086
  run $platform bench-live $live
  run $platform bench-decode
  run $platform bench-connect
  run $platform bench-led
  run $platform bench-firmware
  # shellcheck disable=SC2086
  run $platform bench-idle $idle
  # shellcheck disable=SC2086
  run $platform bench-soak $soak
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The table, figures in order of first appearance, both platforms together.
table=$(awk -F'\t' '
  $1 == "RESULT" || $1 == "INFO" {
    key = $3
    if (!(key in seen)) { seen[key] = ++n; names[n] = key }
    if ($1 == "RESULT") row[key] = row[key] sprintf("| %s | %s | %s | %s | %s |\n", $3, $2, $4, $5, $6)
    else row[key] = row[key] sprintf("| %s | %s | (info) | %s | |\n", $3, $2, $4)
  }
  END {
    print "| Figure | Platform | Goal | Measured | Result |"
    print "|---|---|---|---|---|"
    for (i = 1; i <= n; ++i) printf "%s", row[names[i]]
  }' "$out")

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
qt=$(pkg-config --modversion Qt6Core 2>/dev/null || echo "?")
kind=$(grep -m1 CMAKE_BUILD_TYPE: "$build/CMakeCache.txt" | cut -d= -f2)
note=""
if [ $quick = 1 ]; then note=", quick run"; fi
header="Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $cpu, $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GB,
Linux $(uname -r), Qt $qt, $kind build$note.
Load average (1, 5, 15 min) $load_before before the run, $load_after after it."

echo
echo "$header"
echo
echo "$table"

if [ $update = 1 ]; then
  awk -v header="$header" -v table="$table" '
    /<!-- results:begin -->/ { print; print ""; print header; print ""; print table; print ""; skip = 1; next }
    /<!-- results:end -->/ { skip = 0 }
    !skip { print }' BENCHMARKS.md >"$build/BENCHMARKS.md.new"
  mv "$build/BENCHMARKS.md.new" BENCHMARKS.md
  echo
  echo "BENCHMARKS.md updated."
fi

! grep -q $'\tFAIL$' "$out"
