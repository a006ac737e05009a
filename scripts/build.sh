#!/usr/bin/env bash
# Installs what is missing, builds the gauge module and the bench, shows the
# module as the host finds it, renders the gauge at rest as build/quandel.png,
# and plays the lever tour (frames in build/tour/).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
build/gaugebench inspect build/quandel.gau
build/gaugebench render build/quandel.gau --scale 3 -o build/quandel.png
echo "wrote build/quandel.png"
build/gaugebench play build/quandel.gau examples/lever-tour.txt --scale 3 -o build/tour
