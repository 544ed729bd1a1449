#!/usr/bin/env bash
# Installs everything the project needs to build and test, from Debian packages.
# Safe to run again: each step checks whether it is already done.
# Where this host cannot execute 32-bit programs (or WRENFIELD_NO_WIN32=1), 32-bit Wine
# and its prefix are left out; the 32-bit Windows build is still compiled everywhere.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps=${WRENFIELD_DEPS:-/opt/wrenfield-deps}
. "$here/scripts/host.sh"

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine xvfb x11-apps imagemagick
  dpkg-dev nasm
  zip unzip
)
triplets=(i686-w64-mingw32 x86_64-w64-mingw32)
declare -A toolchain=([i686-w64-mingw32]=mingw-i686 [x86_64-w64-mingw32]=mingw-x86_64)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

ensure_packages() {
  local missing=() p
  if host_runs_i386; then
    packages+=(wine32:i386)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      as_root dpkg --add-architecture i386
      rm -f "$deps/.apt-updated"
    fi
  else
    echo "setup: leaving out 32-bit Wine: $no_win32_reason"
  fi
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -q
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# GoogleTest for one Windows build, from the sources Debian's googletest ships.
ensure_mingw_gtest() {
  local triplet=$1 prefix="$deps/$1"
  [ -f "$prefix/lib/libgtest.a" ] && return 0
  echo "setup: building GoogleTest for $triplet"
  local build
  build=$(mktemp -d)
  cmake -S /usr/src/googletest -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/${toolchain[$triplet]}.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$build" -j 2 >/dev/null
  cmake --install "$build" >/dev/null
  rm -rf "$build"
}

# The sources of Debian's libjpeg-turbo, fetched at most once a run into a folder
# removed on exit; sets jpeg_src.
jpeg_src=
jpeg_work=
trap '[ -z "$jpeg_work" ] || rm -rf "$jpeg_work"' EXIT
fetch_libjpeg_source() {
  [ -n "$jpeg_src" ] && return 0
  local list=/etc/apt/sources.list.d/wrenfield-src.sources
  if [ ! -f "$list" ]; then
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
      as_root tee "$list" >/dev/null
    as_root apt-get update -q
  fi
  jpeg_work=$(mktemp -d)
  (cd "$jpeg_work" && apt-get source -q libjpeg-turbo >/dev/null)
  jpeg_src=$(find "$jpeg_work" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  [ -n "$jpeg_src" ] || { echo "setup: libjpeg-turbo source was not fetched" >&2; exit 1; }
}

# libjpeg-turbo for one Windows build (the window's banner), built statically from
# Debian's source package. Its CMake needs an explicit install prefix when cross-compiling.
# NO_GETENV: the library must not read environment variables (JPEGMEM, JSIMD_*), since
# the program reads none; a library that still calls getenv (_getenv on 32-bit Windows,
# getenv on 64-bit) is built again.
ensure_mingw_libjpeg() {
  local triplet=$1 prefix="$deps/$1"
  if [ -f "$prefix/lib/libjpeg.a" ] &&
    ! "$triplet-nm" "$prefix/lib/libjpeg.a" 2>/dev/null | grep -E ' U _?getenv$' >/dev/null; then
    return 0
  fi
  fetch_libjpeg_source
  echo "setup: building libjpeg-turbo for $triplet"
  local build
  build=$(mktemp -d)
  cmake -S "$jpeg_src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/${toolchain[$triplet]}.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_C_FLAGS=-DNO_GETENV >/dev/null
  cmake --build "$build" -j 2 >/dev/null
  cmake --install "$build" >/dev/null
  rm -rf "$build"
}

# A Wine prefix (path, win32 or win64, loader), created once without the Mono and
# Gecko prompts, with Wine's own fonts (Tahoma, MS Sans Serif) copied in, where this
# Wine build looks for them, so the window's Russian text has its fonts.
ensure_wine_prefix() {
  local prefix=$1 arch=$2 loader=$3
  if [ ! -f "$prefix/system.reg" ]; then
    echo "setup: creating the $arch Wine prefix $prefix"
    WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      "$loader" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -w || true
    [ -f "$prefix/system.reg" ] || { echo "setup: Wine prefix $prefix was not created" >&2; exit 1; }
  fi
  local fonts="$prefix/drive_c/windows/Fonts"
  [ -f "$fonts/tahoma.ttf" ] && return 0
  [ -d /usr/share/wine/fonts ] || return 0
  mkdir -p "$fonts" && cp -n /usr/share/wine/fonts/* "$fonts/"
}

mkdir -p "$deps" 2>/dev/null || as_root mkdir -p "$deps"
ensure_packages
for triplet in "${triplets[@]}"; do
  ensure_mingw_gtest "$triplet"
  ensure_mingw_libjpeg "$triplet"
done
ensure_wine_prefix "$WRENFIELD_WINEPREFIX64" win64 "$wine64"
if host_runs_win32; then
  ensure_wine_prefix "$WINEPREFIX" win32 "$wine32"
else
  echo "setup: no 32-bit Wine prefix: $no_win32_reason"
fi
echo "setup: done"
