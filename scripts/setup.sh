#!/usr/bin/env bash
# Installs everything the project needs to build and test, from Debian packages.
# Safe to run again: each step checks whether it is already done.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps=${WRENFIELD_DEPS:-/opt/wrenfield-deps}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-wrenfield}

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine32:i386 fonts-wine xvfb x11-apps imagemagick
  dpkg-dev nasm
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

ensure_packages() {
  local missing=() p
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    rm -f "$deps/.apt-updated"
  fi
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -q
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# GoogleTest for the 32-bit Windows build, from the sources Debian's googletest ships.
ensure_mingw_gtest() {
  local prefix="$deps/i686-w64-mingw32"
  [ -f "$prefix/lib/libgtest.a" ] && return 0
  echo "setup: building GoogleTest for MinGW"
  local build
  build=$(mktemp -d)
  cmake -S /usr/src/googletest -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$build" >/dev/null
  cmake --install "$build" >/dev/null
  rm -rf "$build"
}

# libjpeg-turbo for the 32-bit Windows build (the window's banner), built statically from
# Debian's source package. Its CMake needs an explicit install prefix when cross-compiling.
# NO_GETENV: the library must not read environment variables (JPEGMEM, JSIMD_*), since
# the program reads none; a library built without it is built again.
ensure_mingw_libjpeg() {
  local prefix="$deps/i686-w64-mingw32"
  if [ -f "$prefix/lib/libjpeg.a" ] &&
    ! i686-w64-mingw32-nm "$prefix/lib/libjpeg.a" 2>/dev/null | grep ' U _getenv$' >/dev/null; then
    return 0
  fi
  local list=/etc/apt/sources.list.d/wrenfield-src.sources
  if [ ! -f "$list" ]; then
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
      as_root tee "$list" >/dev/null
    as_root apt-get update -q
  fi
  echo "setup: building libjpeg-turbo for MinGW"
  local work
  work=$(mktemp -d)
  (cd "$work" && apt-get source -q libjpeg-turbo >/dev/null)
  local src
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  [ -n "$src" ] || { echo "setup: libjpeg-turbo source was not fetched" >&2; exit 1; }
  cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_C_FLAGS=-DNO_GETENV >/dev/null
  cmake --build "$work/build" -j 2 >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
}

# A 32-bit Wine prefix, created once without the Mono and Gecko prompts.
ensure_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  echo "setup: creating the Wine prefix $WINEPREFIX"
  WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  [ -f "$WINEPREFIX/system.reg" ] || { echo "setup: Wine prefix was not created" >&2; exit 1; }
}

# Wine's own fonts (Tahoma, MS Sans Serif) copied into the prefix, where this Wine
# build looks for them, so the window's Russian text has its fonts.
ensure_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$fonts/tahoma.ttf" ] && return 0
  [ -d /usr/share/wine/fonts ] || return 0
  mkdir -p "$fonts" && cp -n /usr/share/wine/fonts/* "$fonts/"
}

mkdir -p "$deps" 2>/dev/null || as_root mkdir -p "$deps"
ensure_packages
ensure_mingw_gtest
ensure_mingw_libjpeg
ensure_wine_prefix
ensure_wine_fonts
echo "setup: done"
