# Sourced by the scripts: what this host offers the Windows builds (the 32-bit probe,
# the two Wine prefixes and their loaders) and a virtual display.

# The dependency prefix: $WRENFIELD_DEPS, or the one default that CMake reads too.
export WRENFIELD_DEPS=${WRENFIELD_DEPS:-$(sed -n 's/^set(WRENFIELD_DEPS_DEFAULT \(.*\))$/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../cmake/WrenfieldDeps.cmake")}

wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
# The 32-bit prefix keeps Wine's usual variable; the 64-bit one has its own.
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-wrenfield}
export WRENFIELD_WINEPREFIX64=${WRENFIELD_WINEPREFIX64:-$HOME/.wine-wrenfield64}

# A complete 32-bit x86 Linux program of 91 bytes (ELF header, one segment, then
# xor ebx,ebx; xor eax,eax; inc eax; int 0x80: exit(0)), to ask the kernel itself.
i386_exit_zero=(
  '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00'
  '\x00\x00\x00\x00'
  '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
  '\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  '\x31\xdb\x31\xc0\x40\xcd\x80'
)

# Whether this host executes 32-bit x86 programs, told only by running one: some
# x86-64 kernels refuse them ("Exec format error") although uname, dpkg's foreign
# architectures and the kernel configuration suggest otherwise. WRENFIELD_NO_WIN32=1
# makes the answer no on any host. On no, sets no_win32_reason.
host_runs_i386() {
  no_win32_reason=
  if [ "${WRENFIELD_NO_WIN32:-}" = 1 ]; then
    no_win32_reason="WRENFIELD_NO_WIN32=1 is set"
    return 1
  fi
  local dir probe out
  # In the build folder: /tmp may be mounted noexec.
  dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build"
  mkdir -p "$dir" && probe="$dir/i386-probe"
  printf '%b' "${i386_exit_zero[@]}" >"$probe" && chmod +x "$probe"
  if ! out=$("$probe" 2>&1); then
    no_win32_reason="this host cannot execute 32-bit x86 programs (${out##*: })"
    return 1
  fi
}

# Whether the 32-bit Windows build can run here: a 32-bit program runs and so does
# 32-bit Wine ("$wine32 --version"; /usr/bin/wine would quietly fall back to wine64).
# On no, sets no_win32_reason.
host_runs_win32() {
  host_runs_i386 || return 1
  local out
  if [ ! -x "$wine32" ]; then
    no_win32_reason="32-bit Wine ($wine32) is not installed"
    return 1
  fi
  if ! out=$("$wine32" --version 2>&1); then
    no_win32_reason="32-bit Wine does not start ($wine32 --version: ${out##*: })"
    return 1
  fi
}

# Starts a virtual display of the given size on a free number (Xvfb chooses it and
# writes it to descriptor 3 once it accepts clients); exports DISPLAY, sets xvfb_pid.
start_virtual_display() {
  local fd n=
  fd=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$fd" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$fd" ] && break
    sleep 0.1
  done
  n=$(head -n 1 "$fd")
  rm -f "$fd"
  if [ -z "$n" ]; then
    echo "no virtual display: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}
