#!/usr/bin/env bash
# Builds the release players download: dist/Wrenfield-<version>-win32.zip holding
# exactly Wrenfield.exe and Torvane.dll (32-bit, stripped, runtime linked in), the
# player's guide Readme.txt (code page 1251, CR LF) and LICENSE.txt, then prints the
# zip's listing and SHA-256.
#
#   bash scripts/release.sh           the release (build/release-win32, then dist/)
#   bash scripts/release.sh win64     its 64-bit twin for the release test on hosts that
#                                     cannot run 32-bit programs (build/release-win64/,
#                                     never offered to players)
#
# The same sources give the same zip byte for byte: a clean build in its own folder,
# SOURCE_DATE_EPOCH (default: the time of the last commit) for every time stamp, no
# build path in the binaries, and a fixed order, time and mode of the zip's files.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

arch=${1:-win32}
case $arch in
  win32) triplet=i686-w64-mingw32 toolchain=mingw-i686 ;;
  win64) triplet=x86_64-w64-mingw32 toolchain=mingw-x86_64 ;;
  *) echo "usage: scripts/release.sh [win32|win64]" >&2; exit 2 ;;
esac

version=$(head -n 1 VERSION)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || {
    echo "release: not a git checkout; set SOURCE_DATE_EPOCH" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  echo "release: warning: the tree has changes not committed; this zip is not the last commit's"
fi

build=build/release-$arch
package=$build/package
zip_name=Wrenfield-$version-$arch.zip
if [ "$arch" = win32 ]; then out_dir=dist; else out_dir=$build; fi
# The zip's files in their order inside it.
files=(Wrenfield.exe Torvane.dll Readme.txt LICENSE.txt)

build_binaries() {
  rm -rf "$build"
  # The source folder's path would otherwise reach the binaries (__FILE__).
  local prefix_map="-ffile-prefix-map=$root=."
  cmake -S . -B "$build" -G Ninja --toolchain "cmake/$toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DWRENFIELD_TESTS=OFF -DWRENFIELD_BENCH=OFF \
    -DCMAKE_C_FLAGS="$prefix_map" -DCMAKE_CXX_FLAGS="$prefix_map" >/dev/null
  cmake --build "$build" -j 2 --target Wrenfield torvane
}

# The guide's parts in name order, notes (lines beginning with "#") and parts holding
# nothing else left out; the title part first, then a table of contents made of the
# other parts' headings (a "-" underline marks a subsection).
assemble_guide() {
  local parts=() part heading underline
  for part in release/readme/[0-9]*.txt; do
    grep -qv '^#' "$part" && parts+=("$part")
  done
  grep -v '^#' "${parts[0]}"
  printf '\n%s\n\n' 'Содержание'
  for part in "${parts[@]:1}"; do
    heading=$(grep -v '^#' "$part" | sed -n 1p)
    underline=$(grep -v '^#' "$part" | sed -n 2p)
    if [ "${underline:0:1}" = - ]; then printf '      %s\n' "$heading"; else printf '  %s\n' "$heading"; fi
  done
  for part in "${parts[@]:1}"; do
    printf '\n\n'
    grep -v '^#' "$part"
  done
}

# UTF-8 with LF in, code page 1251 with CR LF out; a character the code page lacks fails.
to_windows_text() {
  iconv -f UTF-8 -t CP1251 | sed 's/$/\r/'
}

stage_package() {
  rm -rf "$package" && mkdir -p "$package"
  "$triplet-strip" --strip-all -o "$package/Wrenfield.exe" "$build/bin/Wrenfield.exe"
  "$triplet-strip" --strip-all -o "$package/Torvane.dll" "$build/bin/Torvane.dll"
  assemble_guide | sed "s/@VERSION@/$version/g" | to_windows_text >"$package/Readme.txt"
  to_windows_text <LICENSE >"$package/LICENSE.txt"
  chmod 0755 "$package/Wrenfield.exe" "$package/Torvane.dll"
  chmod 0644 "$package/Readme.txt" "$package/LICENSE.txt"
  touch -d "@$SOURCE_DATE_EPOCH" "${files[@]/#/$package/}"
}

# -X: no extra fields (owner, precise times); -D: no folder entries; the names in
# the order given. Zip writes the local time: TZ=UTC above.
make_zip() {
  mkdir -p "$out_dir"
  local zip="$out_dir/$zip_name" partial="$out_dir/.$zip_name.partial"
  rm -f "$partial"
  (cd "$package" && zip -X -D -9 -q "$root/$partial" "${files[@]}")
  mv -f "$partial" "$zip"
  echo "release: $zip ($(stat -c %s "$zip") bytes)"
  unzip -lv "$zip"
  echo "release: SHA-256 $(sha256sum "$zip" | cut -d ' ' -f 1)"
}

build_binaries
stage_package
make_zip
