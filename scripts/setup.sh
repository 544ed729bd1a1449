#!/usr/bin/env bash
# Installs everything the project needs to build and test, from Debian packages.
# Safe to run again: each step checks whether it is already done.
# Where this host cannot execute 32-bit programs (or WRENFIELD_NO_WIN32=1), 32-bit Wine
# and its prefix are left out; the 32-bit Windows build is still compiled everywhere.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$here/scripts/host.sh"
deps=$WRENFIELD_DEPS

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine xvfb x11-apps imagemagick
  dpkg-dev nasm
  libarchive-dev libz-mingw-w64-dev 7zip zip unzip libarchive-tools locales
)
triplets=(i686-w64-mingw32 x86_64-w64-mingw32)
declare -A toolchain=([i686-w64-mingw32]=mingw-i686 [x86_64-w64-mingw32]=mingw-x86_64)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# apt-get update, tried a few times: a mirror caught mid-sync serves an index of the
# wrong size for a while. Returns 2 at once when only i386 indexes failed, so the
# caller can go on without 32-bit packages; 1 when others still fail at the end.
apt_update() {
  local try out
  for try in 1 2 3; do
    if out=$(as_root apt-get update -q 2>&1); then return 0; fi
    if ! grep -E '^(E|Err):' <<<"$out" | grep -v 'i386' | grep -qv 'Some index files failed'; then
      grep -q 'i386' <<<"$out" && return 2
    fi
    [ "$try" -lt 3 ] && sleep 10
  done
  printf '%s\n' "$out" | grep -E '^(E|Err):' >&2
  echo "setup: the package indexes could not be downloaded (apt-get update failed 3 times)" >&2
  return 1
}

# Takes back the i386 architecture that setup added, after the 32-bit packages could
# not be had: the rest goes on as on a host without 32-bit programs.
drop_i386() {
  echo "setup: leaving out 32-bit Wine: $1; the i386 architecture is taken back"
  packages=("${packages[@]/wine32:i386/}")
  if [ -f "$deps/.i386-added" ]; then
    as_root dpkg --remove-architecture i386 2>/dev/null || true
    rm -f "$deps/.i386-added"
  fi
  local status=0
  apt_update || status=$?
  [ "$status" -ne 1 ] || exit 1
}

ensure_packages() {
  local missing=() p status
  if host_runs_i386; then
    packages+=(wine32:i386)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      as_root dpkg --add-architecture i386
      touch "$deps/.i386-added"
    fi
  else
    echo "setup: leaving out 32-bit Wine: $no_win32_reason"
  fi
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  status=0
  apt_update || status=$?
  [ "$status" -eq 1 ] && exit 1
  if [ "$status" -eq 2 ]; then
    drop_i386 "the 32-bit package indexes failed to download"
    missing=("${missing[@]/wine32:i386/}")
  fi
  if ! DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends ${missing[*]}; then
    [[ " ${missing[*]} " == *" wine32:i386 "* ]] || exit 1
    drop_i386 "wine32 could not be installed"
    missing=("${missing[@]/wine32:i386/}")
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends ${missing[*]}
  fi
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

# A Debian source package unpacked once under $deps/src and kept there: the MinGW
# builds for each Windows target and the archive tests' sample files come from it.
# Prints the source folder.
debian_source() {
  local name=$1 dir
  dir=$(find "$deps/src/$name" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n 1)
  if [ -z "$dir" ]; then
    local list=/etc/apt/sources.list.d/wrenfield-src.sources
    if [ ! -f "$list" ]; then
      printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
        'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
        as_root tee "$list" >/dev/null
      as_root apt-get update -q >&2
    fi
    rm -rf "$deps/src/$name.partial"
    mkdir -p "$deps/src/$name.partial"
    (cd "$deps/src/$name.partial" && apt-get source -q "$name" >/dev/null 2>&1)
    dir=$(find "$deps/src/$name.partial" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    [ -n "$dir" ] || { echo "setup: the $name source was not fetched" >&2; exit 1; }
    mv "$deps/src/$name.partial" "$deps/src/$name"
    dir=$(find "$deps/src/$name" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  fi
  echo "$dir"
}

# liblzma and libarchive for one Windows target (TRIPLET, its toolchain file), built
# statically from Debian's xz-utils and libarchive sources, with Debian's MinGW zlib:
# zip, 7z and RAR reading for the mod archives, nothing the program does not use
# (no encryption, XML, ACL, iconv or other compressors). The toolchain's search root
# would hide -D paths, so liblzma and zlib are named by file. libarchive's check of
# whether zlib wants ZLIB_WINAPI runs a program, which a cross build cannot (CMake
# 3.25 even crashes on it for x86_64): Debian's MinGW zlib does not, so the answer
# is given.
ensure_mingw_archive_libs() {
  local triplet=$1 toolchain_file=$2 prefix="$deps/$1"
  [ -f "$prefix/lib/libarchive_static.a" ] && [ -f "$prefix/lib/liblzma.a" ] && return 0
  local xz_src archive_src build
  xz_src=$(debian_source xz-utils)
  archive_src=$(debian_source libarchive)
  if [ ! -f "$prefix/lib/liblzma.a" ]; then
    echo "setup: building liblzma for $triplet"
    build=$(mktemp -d)
    cmake -S "$xz_src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" -j 2 >/dev/null
    cmake --install "$build" >/dev/null
    rm -rf "$build"
  fi
  echo "setup: building libarchive for $triplet"
  build=$(mktemp -d)
  local off=() option
  for option in OPENSSL MBEDTLS NETTLE CNG LIBB2 LZ4 LZO ZSTD BZip2 LIBXML2 EXPAT PCREPOSIX \
    LIBGCC TAR CPIO CAT XATTR ACL ICONV TEST WERROR; do
    off+=("-DENABLE_$option=OFF")
  done
  cmake -S "$archive_src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_C_FLAGS=-DLZMA_API_STATIC -DPOSIX_REGEX_LIB=NONE "${off[@]}" \
    -DZLIB_INCLUDE_DIR="/usr/$triplet/include" -DZLIB_LIBRARY="/usr/$triplet/lib/libz.a" \
    -DLIBLZMA_INCLUDE_DIR="$prefix/include" -DLIBLZMA_LIBRARY="$prefix/lib/liblzma.a" \
    -DZLIB_WINAPI_EXITCODE=1 -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT= >/dev/null
  cmake --build "$build" -j 2 >/dev/null
  cmake --install "$build" >/dev/null
  rm -rf "$build"
}

# Sample archives from libarchive's own test data (nothing can make RAR files here):
# RAR 4 and RAR 5 archives, encrypted ones and ones holding links, decoded from
# their uuencoded form into $deps/testdata/libarchive.
ensure_archive_samples() {
  local out="$deps/testdata/libarchive"
  [ -f "$out/.complete" ] && return 0
  local src name
  src=$(debian_source libarchive)/libarchive/test
  mkdir -p "$out"
  for name in rar_windows.rar rar_unicode.rar rar.rar rar_encryption_data.rar \
    rar_encryption_header.rar rar_encryption_partially.rar rar5_multiple_files.rar \
    rar5_solid.rar rar5_stored.rar rar5_win32.rar rar5_symlink.rar rar5_hardlink.rar \
    7zip_encryption.7z 7zip_encryption_header.7z zip_encryption_header.zip; do
    perl -ne 'print unpack("u", $_) if (/^begin / .. /^end$/) && !/^(begin |end$)/' \
      "$src/test_read_format_$name.uu" >"$out/$name"
  done
  touch "$out/.complete"
}

# UTF-8 locales (language_COUNTRY): Wine takes the system code page from the
# locale, so the Windows tests of Russian names run as on a Russian system (code
# page 1251, ru_RU) and as on a Western one (code page 1252, en_US) while file
# names still reach Linux as UTF-8.
ensure_locale() {
  locale -a 2>/dev/null | grep -qix "$1.utf8" && return 0
  echo "setup: generating the $1.UTF-8 locale"
  as_root localedef -i "$1" -f UTF-8 "$1.UTF-8"
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

# Sourced (by the setup test), it only defines its steps.
[[ "${BASH_SOURCE[0]}" == "$0" ]] || return 0

mkdir -p "$deps" 2>/dev/null || as_root mkdir -p "$deps"
ensure_packages
for triplet in "${triplets[@]}"; do
  ensure_mingw_gtest "$triplet"
  ensure_mingw_libjpeg "$triplet"
  ensure_mingw_archive_libs "$triplet" "$here/cmake/${toolchain[$triplet]}.cmake"
done
ensure_archive_samples
ensure_locale ru_RU
ensure_locale en_US
ensure_wine_prefix "$WRENFIELD_WINEPREFIX64" win64 "$wine64"
if host_runs_win32; then
  ensure_wine_prefix "$WINEPREFIX" win32 "$wine32"
else
  echo "setup: no 32-bit Wine prefix: $no_win32_reason"
fi
echo "setup: done"
