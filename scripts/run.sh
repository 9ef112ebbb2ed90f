#!/usr/bin/env bash
# Builds the tessarin program and runs the main job on the built-in demo.
# Usage: scripts/run.sh [tessarin arguments...]   (default: --version)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DTESSARIN_TESTS=OFF -DTESSARIN_BENCHMARKS=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target tessarin
if [ $# -eq 0 ]; then set -- --version; fi
"$build/bin/tessarin" "$@"
