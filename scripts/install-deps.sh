#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build pkg-config g++ clang
  libclang-rt-14-dev
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  libunicorn-dev libcapstone-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libcpp-httplib-dev
  chromium
)
# The viewer's browser tests run on Node; Debian's only where none is installed.
command -v node >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
