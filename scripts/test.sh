#!/usr/bin/env bash
# Installs what the project needs, then builds and runs every test:
# native, native under AddressSanitizer/UBSan, the Windows build under Wine,
# and each fuzz target for a bounded time.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh || exit 1

passed=0 failed=0
step() {
  local name=$1; shift
  echo "==> $name"
  if "$@"; then passed=$((passed + 1)); echo "==> $name: ok"
  else failed=$((failed + 1)); echo "==> $name: FAILED"; fi
}

preset() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" && ctest --preset "$1"; }

# One virtual display for every Windows program of the run.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; return; fi
  local n=97 pid rc
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & pid=$!
  sleep 1
  DISPLAY=":$n" "$@"; rc=$?
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  return $rc
}

fuzz() {
  cmake --preset fuzz >/dev/null && cmake --build --preset fuzz &&
    bash scripts/run-fuzzers.sh "$root/build/fuzz" "${FUZZ_SECONDS:-60}"
}

step "native tests" preset native
step "native tests under ASan/UBSan" env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 preset asan
step "Windows tests under Wine" with_display preset mingw
step "fuzz targets" fuzz

echo "Test steps: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
