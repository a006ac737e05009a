#!/usr/bin/env bash
# Builds quandel.gau twice from clean build folders at different paths (the
# second from a copy of the sources at yet another path) and checks that the
# two files are identical byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/copy/of/the/sources"
git ls-files -z --cached --others --exclude-standard |
  xargs -0 cp --parents -t "$work/copy/of/the/sources"

build() {
  local source=$1 binary=$2
  cmake -S "$source" -B "$binary" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$binary" --target quandel_gauge -j2 >/dev/null
}
build . "$work/first-build"
build "$work/copy/of/the/sources" "$work/elsewhere/second"

first="$work/first-build/quandel.gau" second="$work/elsewhere/second/quandel.gau"
if cmp "$first" "$second"; then
  echo "ci-reproducible: two builds of quandel.gau are identical ($(stat -c %s "$first") bytes," \
       "sha256 $(sha256sum "$first" | cut -c1-16)...)"
else
  echo "ci-reproducible: the two builds of quandel.gau differ" >&2
  cmp -l "$first" "$second" | head -20 >&2
  exit 1
fi
