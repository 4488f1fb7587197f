#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Works as root or through sudo. Extra package names may be given as arguments.
set -euo pipefail

packages=(qt6-base-dev qt6-svg-dev libqt6svg6 cmake ninja-build g++ libgtest-dev libgmock-dev
          fonts-dejavu-core "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q -o DPkg::Lock::Timeout=600
$sudo apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
