#!/usr/bin/env bash
# CI: every .cpp and .h the repository tracks is formatted as .clang-format
# says, by Debian 12's clang-format (14; another version may format a few
# lines differently). Data tables sit between "clang-format off" and "on".
#   bash tools/ci-format.sh          check, fail on the first difference
#   bash tools/ci-format.sh --fix    reformat the files instead
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends clang-format
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
clang-format --dry-run -Werror "${files[@]}"
echo "ci-format: ${#files[@]} files as .clang-format says ($(clang-format --version))"
