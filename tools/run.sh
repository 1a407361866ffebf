#!/usr/bin/env bash
# Builds Orvane and starts it: the real program when a wheel (USB vendor
# c872) is attached, otherwise the demo against a simulated wheel.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target orvane orvane-demo
if grep -qsi '^c872$' /sys/bus/usb/devices/*/idVendor; then
  exec ./build/orvane "$@"
fi
echo "No Tarnwell wheel attached: starting the demo with a simulated ${ORVANE_DEMO_MODEL:-M-ZEN}."
exec ./build/orvane-demo "$@"
