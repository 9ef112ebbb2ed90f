#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [build-dir] [extra cmake args...]
# On a fresh machine it first installs the Debian packages the build needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja "$@"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
