#!/usr/bin/env bash
# CI beyond the test suite: the sanitizer build and its tests, the fuzzers
# for a bounded time each, and the reproducibility of quandel.gau. Runs after
# scripts/test.sh, whose build the fuzzers take their starting corpus from.
set -euo pipefail
cd "$(dirname "$0")/.."

step() {
  local started=$SECONDS
  echo "== $1"
  "scripts/$1"
  echo "== $1 took $((SECONDS - started)) s"
}
step ci-sanitizers.sh
step ci-fuzz.sh
step ci-reproducible.sh
