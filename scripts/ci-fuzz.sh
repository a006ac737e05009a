#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz") and runs each for a bounded time
# on a starting corpus copied into a temporary folder: the built module, its corrupted
# copies, its resources and the example scenarios. Fails on any crash, leak,
# timeout or memory blow-up, printing the input that caused it.
# Needs the built module (scripts/build.sh or scripts/test.sh first).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-75}
module=${QUANDEL_GAU:-build/quandel.gau}
[ -f "$module" ] || { echo "ci-fuzz: $module is missing; build it first" >&2; exit 1; }

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pe" "$work/resources" "$work/scenario"
build-fuzz/fuzz/write_fuzz_corpus "$module" "$work/pe" "$work/resources"
cp "$module" "$work/pe/"
cp examples/*.txt "$work/scenario/"

status=0
run() {
  local target=$1 corpus=$2 log="$work/$1.log"
  if build-fuzz/fuzz/"$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
       -print_final_stats=1 -artifact_prefix="$work/$target-" >"$log" 2>&1; then
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "ci-fuzz: $target: $runs executions in ${seconds} s, corpus $(ls "$corpus" | wc -l) inputs, nothing found"
  else
    echo "ci-fuzz: $target FAILED" >&2
    grep -v '^#[0-9]' "$log" | tail -60 >&2
    for artifact in "$work/$target"-*; do
      [ -f "$artifact" ] || continue
      echo "ci-fuzz: input $(basename "$artifact") ($(stat -c %s "$artifact") bytes), first 512 bytes:" >&2
      od -A x -t x1z -N 512 "$artifact" >&2
    done
    status=1
  fi
}
run pe_reader_fuzz "$work/pe"
run resource_decoders_fuzz "$work/resources"
run scenario_parser_fuzz "$work/scenario"
exit $status
