#!/usr/bin/env bash
# The package step of scripts/setup.sh on a host that runs 32-bit programs but cannot
# get the 32-bit packages, through stand-ins for apt-get, dpkg and dpkg-query that
# fail the way a mirror caught mid-sync does: the i386 index fails to download, or
# wine32 fails to install. Either way setup must take back the i386 architecture it
# added, say so once, install the rest, and the test command must then count the
# 32-bit suites as not run. Prints "ok" when every case holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# dpkg keeps its foreign architectures in a file; apt-get logs what it is asked.
cat >"$work/bin/dpkg" <<'STUB'
#!/usr/bin/env bash
arches="$FAKE_DIR/arches"; touch "$arches"
case "$1" in
  --print-foreign-architectures) cat "$arches" ;;
  --add-architecture) echo "$2" >>"$arches" ;;
  --remove-architecture) grep -vx "$2" "$arches" >"$arches.new" || true; mv "$arches.new" "$arches" ;;
esac
STUB
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
exit 1
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_DIR/log"
if [ "$1" = update ] && [ "$FAKE_FAIL" = index ] && grep -qx i386 "$FAKE_DIR/arches"; then
  echo "Err:6 http://mirror bookworm-security/main i386 Packages"
  echo "E: Failed to fetch http://mirror/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100
fi
if [ "$1" = install ] && [ "$FAKE_FAIL" = install ] && [[ " $* " == *" wine32:i386 "* ]]; then
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
fi
exit 0
STUB
chmod +x "$work/bin/"*

fail() { echo "setup fallback ($1): $2" >&2; exit 1; }

# One case: FAIL is index or install. Runs setup's package step as on a host that
# executes 32-bit programs, then asks whether the 32-bit suites can run.
check_case() {
  local fail_at=$1 dir="$work/$1" out
  mkdir -p "$dir/deps"
  out=$(FAKE_DIR=$dir FAKE_FAIL=$fail_at PATH="$work/bin:$PATH" WRENFIELD_DEPS="$dir/deps" \
    bash -c '. "$1/scripts/setup.sh"
      host_runs_i386() { return 0; }
      mkdir -p "$deps"
      ensure_packages
      wine32=$FAKE_DIR/no-wine
      host_runs_win32 || echo "not run: $no_win32_reason"' _ "$root" 2>&1) ||
    fail "$fail_at" "setup failed: $out"
  [ "$(grep -c 'leaving out 32-bit Wine' <<<"$out")" -eq 1 ] || fail "$fail_at" "no one-line notice: $out"
  grep -q 'the i386 architecture is taken back' <<<"$out" || fail "$fail_at" "$out"
  ! grep -qx i386 "$dir/arches" || fail "$fail_at" "i386 is still a foreign architecture"
  [ ! -e "$dir/deps/.i386-added" ] || fail "$fail_at" "the mark of the added architecture stayed"
  grep -E '^apt-get install' "$dir/log" | tail -n 1 | grep -q 'wine64' ||
    fail "$fail_at" "the other packages were not installed: $(cat "$dir/log")"
  ! grep -E '^apt-get install' "$dir/log" | tail -n 1 | grep -q 'wine32' ||
    fail "$fail_at" "the last install still asked for wine32"
  grep -q '^not run: 32-bit Wine' <<<"$out" || fail "$fail_at" "32-bit suites not counted as not run: $out"
}

check_case index
check_case install
echo ok
