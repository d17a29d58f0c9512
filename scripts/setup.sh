#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the project needs, only those that are missing. Safe to run twice.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-qpa-plugins libqcustomplot-dev
  libhidapi-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core clang-format
  clang libclang-rt-14-dev
  pybind11-dev python3-dev python3-numpy python3-pytest python3-mypy python3-setuptools
  libmosquitto-dev mosquitto python3-paho-mqtt openssl
  help2man lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
