#!/usr/bin/env bash
# Builds the tessarin program (and the plug-in module it loads) and runs it.
# Usage: scripts/run.sh [tessarin arguments...]
# Without arguments it runs the built-in demo, writing ./tessarin-demo/demo.glb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DTESSARIN_TESTS=OFF -DTESSARIN_BENCHMARKS=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target tessarin
if [ $# -eq 0 ]; then
  "$build/bin/tessarin" demo
  echo
  echo "Result: $(pwd)/tessarin-demo/demo.glb (open it in any glTF viewer and play its animation)"
else
  "$build/bin/tessarin" "$@"
fi
