#!/usr/bin/env bash
# CI check of the desktop integration and the Debian package, on a Debian 12
# machine as root:
#   bash tools/ci-packaging.sh [BUILD_DIR]     (default: build, as tools/test.sh leaves it)
# Validates the desktop entry and the AppStream metadata, builds the .deb from
# the configured build folder, checks what it holds, installs it with apt (so
# its dependencies come too), checks the installed files and removes it again.
# An orvane package installed before is removed first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CPackConfig.cmake" ] || { echo "ci-packaging: no CPackConfig.cmake in $build" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
fail() { echo "ci-packaging: $*" >&2; exit 1; }

missing=()
for p in appstream desktop-file-utils dpkg-dev; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

echo "== validating the desktop entry and the AppStream metadata"
desktop-file-validate packaging/linux/orvane.desktop
# The installed program, its icon, and the window class X11 names after the executable.
for line in Exec=orvane Icon=orvane StartupWMClass=orvane; do
  grep -qx "$line" packaging/linux/orvane.desktop || { echo "orvane.desktop lacks $line" >&2; exit 1; }
done
appstreamcli validate --no-net packaging/linux/example.tarnwell.orvane.metainfo.xml

echo "== building the package"
cmake --build "$build" -j"$(nproc)" --target orvane orvanectl orvanectl-man
out=$(mktemp -d)
chmod 755 "$out"  # apt reads the .deb as its own unprivileged user
cleanup() {
  installed orvane && apt-get purge -y orvane >/dev/null
  rm -rf "$out"
}
trap cleanup EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out"
debs=("$out"/orvane_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no orvane_*.deb"
deb=${debs[0]}

echo "== checking $(basename "$deb")"
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
expected=(
  ./usr/bin/orvane
  ./usr/bin/orvanectl
  ./usr/share/man/man1/orvanectl.1.gz
  ./usr/lib/udev/rules.d/70-orvane.rules
  ./usr/share/applications/orvane.desktop
  ./usr/share/metainfo/example.tarnwell.orvane.metainfo.xml
  ./usr/share/icons/hicolor/48x48/apps/orvane.png
  ./usr/share/icons/hicolor/64x64/apps/orvane.png
  ./usr/share/icons/hicolor/128x128/apps/orvane.png
  ./usr/share/icons/hicolor/256x256/apps/orvane.png
  ./usr/share/icons/hicolor/scalable/apps/orvane.svg
)
for f in "${expected[@]}"; do
  grep -qxF "$f" <<<"$contents" || fail "$f is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ $depends == *libqt6widgets6* ]] || fail "the package does not depend on Qt Widgets"
[[ $depends == *libhidapi-hidraw0* ]] || fail "the package does not depend on hidapi"

echo "== installing"
installed orvane && apt-get purge -y orvane
(cd "$out" && apt-get install -y "./$(basename "$deb")")
[ -f /usr/lib/udev/rules.d/70-orvane.rules ] || fail "the udev rule is not in /usr/lib/udev/rules.d"
[ "$(command -v orvane)" = /usr/bin/orvane ] || fail "orvane is not on PATH"
[[ $(ldd /usr/bin/orvane) != *"not found"* ]] || fail "orvane misses libraries"
[[ $(ldd /usr/bin/orvanectl) != *"not found"* ]] || fail "orvanectl misses libraries"
grep -q '^\.TH ORVANECTL 1' <<<"$(zcat /usr/share/man/man1/orvanectl.1.gz)" || fail "orvanectl.1 is not a manual page"
# Without a display; with no wheel attached it says so and ends with 3.
grep -q 'orvanectl COMMAND' <<<"$(env -u DISPLAY -u WAYLAND_DISPLAY orvanectl --help)" || fail "orvanectl --help"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY orvanectl list >/dev/null 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "orvanectl list without a wheel ended with $status instead of 3"
# It starts and waits for a wheel: still running when the time-out ends it.
status=0
timeout 5 env QT_QPA_PLATFORM=offscreen orvane >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the installed orvane ended with $status instead of running"

echo "== removing"
apt-get purge -y orvane
[ ! -e /usr/lib/udev/rules.d/70-orvane.rules ] || fail "the udev rule stayed after removal"
! command -v orvane >/dev/null || fail "orvane stayed on PATH after removal"
! command -v orvanectl >/dev/null || fail "orvanectl stayed on PATH after removal"
echo "ci-packaging: all checks passed"
