#!/usr/bin/env bash
# gaugebench view end to end: starts the viewer on the built module, runs the
# browser tests (Playwright driving Debian's chromium, headless) and the load
# test against it, stops it, and prints "N passed, N failed".
# Expects build/gaugebench and build/quandel.gau (scripts/test.sh builds them);
# BUILD_DIR picks another build directory.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

scripts/install-deps.sh || exit 1
if [ ! -x "$build/gaugebench" ] || [ ! -f "$build/quandel.gau" ]; then
  echo "test-browser: $build/gaugebench or $build/quandel.gau is missing; run scripts/test.sh first" >&2
  exit 1
fi
(cd tests/browser && npm ci --no-audit --no-fund --loglevel=error) || exit 1

server_log=$(mktemp)
"$build/gaugebench" view "$build/quandel.gau" --port 0 >"$server_log" 2>&1 &
server=$!
cleanup() {
  kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -f "$server_log"
}
trap cleanup EXIT

url=""
for _ in $(seq 100); do
  url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$server_log" | head -n 1)
  [ -n "$url" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$url" ]; then
  echo "test-browser: the viewer did not start:" >&2
  cat "$server_log" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
echo "test-browser: viewer at $url"

passed=0
failed=0
run_suite() {
  local output result
  output=$(cd tests/browser && VIEW_URL="$url" timeout 240 node "$1" 2>&1)
  echo "$output"
  result=$(printf '%s\n' "$output" | grep -E '^RESULT passed=[0-9]+ failed=[0-9]+$' | tail -n 1)
  if [ -z "$result" ]; then
    echo "FAIL $1 did not finish"
    failed=$((failed + 1))
    return
  fi
  passed=$((passed + $(echo "$result" | sed -E 's/.*passed=([0-9]+).*/\1/')))
  failed=$((failed + $(echo "$result" | sed -E 's/.*failed=([0-9]+).*/\1/')))
}

started=$(date +%s)
run_suite view.test.mjs
run_suite load.test.mjs

# The viewer must have lived through all of it, and stop cleanly when asked.
if kill -0 "$server" 2>/dev/null; then
  kill -TERM "$server"
  if wait "$server"; then
    echo "ok   viewer: stops cleanly on SIGTERM"
    passed=$((passed + 1))
  else
    echo "FAIL viewer: exit status $? on SIGTERM"
    failed=$((failed + 1))
  fi
else
  echo "FAIL viewer: it is no longer running"
  cat "$server_log"
  failed=$((failed + 1))
fi
echo "test-browser: $(($(date +%s) - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
