#!/usr/bin/env bash
# The shipped binaries hold no fault seam: the seam lives only in test builds.
# Usage: hold_no_seam.sh NM TEST_BINARY SHIPPED_BINARY...
# The binaries are the build tree's, before the release strips them: their
# symbol tables still name every function and variable. TEST_BINARY is a test
# program, which must hold the seam: it shows that the search finds it.
set -euo pipefail
nm_tool=$1 test_binary=$2
shift 2

seam_symbols() {
  "$nm_tool" -C "$1" | grep -E '(^|[^[:alnum:]_])fault::' || true
}

if [[ -z "$(seam_symbols "$test_binary")" ]]; then
  echo "FAIL: the test program $test_binary shows no seam symbol: the search cannot see one"
  exit 1
fi
status=0
for binary in "$@"; do
  if [[ -z "$("$nm_tool" "$binary" | head -1)" ]]; then
    echo "FAIL: $binary lists no symbols"
    status=1
  elif found=$(seam_symbols "$binary") && [[ -n "$found" ]]; then
    echo "FAIL: $binary holds the fault seam:"
    echo "$found"
    status=1
  else
    echo "ok: $binary holds no seam"
  fi
done
exit $status
