#!/usr/bin/env bash
# Builds the tessarin program (and the plug-in module it loads) optimised, in its own build
# folder build-release/, and runs it.
# Usage: scripts/run.sh [tessarin arguments...]
# Without arguments it runs the built-in demo, writing ./tessarin-demo/demo.glb.
# The build options are given on every run, so whatever configured build-release/ before (or
# build/, which the tests use) cannot change what this builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-release
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARIN_SANITIZE=OFF \
  -DTESSARIN_TESTS=OFF -DTESSARIN_BENCHMARKS=OFF -DTESSARIN_FUZZERS=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target tessarin
if [ $# -eq 0 ]; then
  "$build/bin/tessarin" demo
  echo
  echo "Result: $(pwd)/tessarin-demo/demo.glb (open it in any glTF viewer and play its animation)"
else
  "$build/bin/tessarin" "$@"
fi
