#!/usr/bin/env bash
# Installs what the project needs, then builds and runs every test: native, native
# under AddressSanitizer/UBSan, both Windows builds under Wine (the 64-bit one always;
# the 32-bit one where this host can execute 32-bit programs, otherwise built only),
# the release zip (scripts/release-test.sh) and each fuzz target for a bounded time.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/host.sh

bash scripts/setup.sh || exit 1

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1

# Test counts gathered from CTest's summaries; a step that fails outside CTest
# (configure, build, a fuzz finding) counts as one failed test. Test programs that
# were built but could not run here are counted apart, never as passed.
passed=0 failed=0 not_run=0 steps_failed=0
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
    line=$(grep -E '^not run [0-9]+$' "$summary" | tail -n 1)
    [ -z "$line" ] || not_run=$((not_run + ${line#not run }))
  elif grep -q '^ok$' "$summary"; then
    passed=$((passed + 1))
  elif [[ $(cat "$summary") =~ ^not\ run\ ([0-9]+)$ ]]; then
    not_run=$((not_run + BASH_REMATCH[1]))
  else
    failed=$((failed + 1))
  fi
}

preset() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" &&
    ctest --preset "$1" | tee "$summary"
}

# Builds every target of a preset and records its tests as not run.
build_only() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" || return 1
  local total
  total=$(ctest --preset "$1" -N | sed -n 's/^Total Tests: //p')
  echo "not run ${total:-0}" >"$summary"
}

# One virtual display for every Windows program of the step, ended with the step.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; return; fi
  (
    xvfb_pid=
    trap '[ -z "$xvfb_pid" ] || { kill "$xvfb_pid"; wait "$xvfb_pid"; } 2>/dev/null' EXIT
    start_virtual_display 1280x1024x24 || exit 1
    "$@"
  )
}

# The release zip itself (scripts/release-test.sh counts its checks as tests).
release() {
  bash scripts/release-test.sh | tee "$summary"
}

fuzz() {
  cmake --preset fuzz >/dev/null && cmake --build --preset fuzz &&
    bash scripts/run-fuzzers.sh "$root/build/fuzz" "${FUZZ_SECONDS:-60}" && echo ok >"$summary"
}

# The setup's way around a mirror that cannot serve the 32-bit packages.
setup_fallback() {
  bash tests/scripts/setup_fallback_test.sh | tee "$summary"
}

step "setup without 32-bit packages" setup_fallback
step "native tests" preset native
step "native tests under ASan/UBSan" preset asan
step "64-bit Windows tests under wine64" with_display preset mingw64
if host_runs_win32; then
  step "32-bit Windows tests under Wine" with_display preset mingw
else
  step "32-bit Windows build" build_only mingw
  if [ "$not_run" -gt 0 ]; then
    echo "==> 32-bit Windows suites built but NOT RUN ($not_run test programs): $no_win32_reason"
  else
    echo "==> 32-bit Windows suites NOT RUN: $no_win32_reason"
  fi
fi
step "release zip" with_display release
step "fuzz targets" fuzz

if [ "$not_run" -gt 0 ]; then
  echo "Tests: $passed passed, $failed failed, $not_run not run (32-bit Windows programs)"
else
  echo "Tests: $passed passed, $failed failed"
fi
[ "$failed" -eq 0 ] && [ "$steps_failed" -eq 0 ]
