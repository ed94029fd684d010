#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need.
# Skips apt entirely when everything is already there, so re-runs are quick.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev
    # pdftotext, for the test that reads the analysis report back.
    poppler-utils
    # Qt Gui's CMake package looks for the OpenGL headers.
    libgl-dev
    fonts-liberation
)
# Extra packages a caller asks for (the sanitizer and fuzz runs want clang).
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
