#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build pkg-config g++ clang
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  libunicorn-dev libcapstone-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libcpp-httplib-dev
)

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
