#!/usr/bin/env bash
# Installs the Debian packages wavecomp needs to build and test, if missing.
set -euo pipefail
packages=(g++ cmake make libgtest-dev gfortran libkissfft-dev libcli11-dev nlohmann-json3-dev libnetcdf-dev zlib1g-dev
  pkgconf parallel pybind11-dev python3-dev python3-numpy python3-xarray python3-pytest python3-setuptools python3-pip)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
