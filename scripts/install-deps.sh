#!/usr/bin/env bash
# Installs, through apt-get, the Debian packages the build needs and the machine lacks.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev nlohmann-json3-dev libcli11-dev libtinygltf-dev libtinyobjloader-dev libstb-dev
  libpng-dev libcairo2-dev
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Khronos glTF validator (npm), which the glTF output tests run through
# scripts/validate_gltf.js. Without node and npm those tests skip; a failed install only warns.
if command -v npm >/dev/null 2>&1 && [ ! -d "$(npm root -g 2>/dev/null)/gltf-validator" ]; then
  echo "Installing the npm package gltf-validator"
  $sudo npm install -g --no-fund --no-audit gltf-validator >/dev/null || echo "warning: gltf-validator could not be installed"
fi
