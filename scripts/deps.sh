#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing. Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libxml2-dev qt6-base-dev libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  python3 python3-dbfread fp-compiler fp-units-db fp-utils
  libchm-dev fonts-liberation dpkg-dev
  xvfb xdotool openbox x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
