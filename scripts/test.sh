#!/usr/bin/env bash
# Installs what the project needs, then builds and runs every test:
# native, native under AddressSanitizer/UBSan, the Windows build under Wine,
# and each fuzz target for a bounded time.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh || exit 1

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1

# Test counts gathered from CTest's summaries; a step that fails outside CTest
# (configure, build, a fuzz finding) counts as one failed test.
passed=0 failed=0 steps_failed=0
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
step() {
  local name=$1; shift
  echo "==> $name"
  : >"$summary"
  if "$@"; then echo "==> $name: ok"
  else steps_failed=$((steps_failed + 1)); echo "==> $name: FAILED"; fi
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$summary" | tail -n 1)
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  elif grep -q '^ok$' "$summary"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
}

preset() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" &&
    ctest --preset "$1" | tee "$summary"
}

# One virtual display for every Windows program of the run.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; return; fi
  local fd pid rc n
  fd=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd" >/dev/null 2>&1 & pid=$!
  for _ in $(seq 50); do [ -s "$fd" ] && break; sleep 0.1; done
  n=$(head -n 1 "$fd"); rm -f "$fd"
  DISPLAY=":$n" "$@"; rc=$?
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  return $rc
}

fuzz() {
  cmake --preset fuzz >/dev/null && cmake --build --preset fuzz &&
    bash scripts/run-fuzzers.sh "$root/build/fuzz" "${FUZZ_SECONDS:-60}" && echo ok >"$summary"
}

step "native tests" preset native
step "native tests under ASan/UBSan" preset asan
step "Windows tests under Wine" with_display preset mingw
step "fuzz targets" fuzz

echo "Tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$steps_failed" -eq 0 ]
