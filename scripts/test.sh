#!/usr/bin/env bash
# Builds everything and runs every test.
# Usage: scripts/test.sh [BUILD_DIR] [cmake options...]
#   BUILD_DIR defaults to build/; a first argument that starts with "-" is a cmake option, not a
#   folder (scripts/test.sh -DTESSARIN_SANITIZE=ON builds in build/).
# The tests are switched on and the other options set to their defaults on every run, before the
# options given here, so a folder configured differently before still builds and runs the tests.
# A run that finds no tests fails.
# On a fresh machine it first installs the Debian packages the build needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
  build=$1
  shift
fi
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARIN_SANITIZE=OFF \
  -DTESSARIN_TESTS=ON -DTESSARIN_BENCHMARKS=ON -DTESSARIN_FUZZERS=OFF "$@"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
