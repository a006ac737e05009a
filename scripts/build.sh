#!/usr/bin/env bash
# Installs what is missing, builds the gauge module and the bench, and shows
# the module as the host finds it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
build/gaugebench inspect build/quandel.gau
