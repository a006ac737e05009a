#!/usr/bin/env bash
# Builds the bench and the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (preset "asan") and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j2
