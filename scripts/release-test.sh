#!/usr/bin/env bash
# The release's own test. Builds dist/Wrenfield-<version>-win32.zip with
# scripts/release.sh and checks it as a player gets it:
#   - the zip holds exactly its four files, in their order;
#   - both binaries are 32-bit and stripped, and import only system DLLs and
#     Torvane.dll (the program its six functions by name);
#   - the one version (file VERSION) is in the zip's name, CHANGELOG.md,
#     wrenfield-cli --version and both binaries' version resources;
#   - Readme.txt and LICENSE.txt are code page 1251 with CR LF, and the guide quotes
#     every text of the table of texts and of the sources compiled into the binaries
#     (scripts/program-texts.pl);
#   - unpacked into a fresh folder, Wrenfield.exe started from there installs the demo
#     mod into a demo game through its window (tests/release/release_driver_win.cpp
#     plays the player), leaving the game folder exactly as wrenfield-cli leaves a twin.
# Where this host cannot run 32-bit programs, the window part runs on the 64-bit twin
# packaged the same way (scripts/release.sh win64), and the 32-bit window is counted
# as not run. Needs a display (DISPLAY); scripts/test.sh gives it a virtual one.
# Ends with a summary in CTest's form; exits non-zero when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/host.sh
export LC_ALL=C

version=$(head -n 1 VERSION)
zip=dist/Wrenfield-$version-win32.zip
expected_files=(Wrenfield.exe Torvane.dll Readme.txt LICENSE.txt)
work=$root/build/release-test
shot=$work/wrenfield-window.png
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|shlwapi|version|bcrypt|msvcrt)\.dll$'

passed=0 failed=0 not_run=0
check() {
  local name=$1; shift
  echo "--- $name"
  if "$@"; then
    passed=$((passed + 1)); echo "--- $name: ok"
  else
    failed=$((failed + 1)); echo "--- $name: FAILED"
  fi
}
fail() { echo "$*" >&2; return 1; }

# Programs started here end with the test, whatever happens.
app_pid= xvfb_pid=
cleanup() {
  [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

zip_holds_exactly_its_files() {
  local listed
  listed=$(unzip -Z1 "$zip") || return 1
  [ "$listed" = "$(printf '%s\n' "${expected_files[@]}")" ] ||
    fail "the zip holds: $(echo "$listed" | tr '\n' ' ')"
}

binaries_are_32_bit_and_stripped() {
  local file header ok=0
  for file in Wrenfield.exe Torvane.dll; do
    header=$(i686-w64-mingw32-objdump -f "$unpacked/$file") || return 1
    grep -q 'file format pei-i386' <<<"$header" || { echo "$file: not 32-bit"; ok=1; }
    grep -q 'HAS_SYMS' <<<"$header" && { echo "$file: has a symbol table"; ok=1; }
    i686-w64-mingw32-objdump -h "$unpacked/$file" | grep -q '\.debug' &&
      { echo "$file: has debugging sections"; ok=1; }
  done
  return $ok
}

# The DLLs a binary imports, one a line, lower case.
imported_dlls() {
  i686-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'
}

binaries_import_only_system_dlls_and_torvane() {
  local ok=0 dll
  for dll in $(imported_dlls "$unpacked/Torvane.dll"); do
    [[ $dll =~ $system_dlls ]] || { echo "Torvane.dll imports $dll"; ok=1; }
  done
  for dll in $(imported_dlls "$unpacked/Wrenfield.exe"); do
    [[ $dll =~ $system_dlls || $dll = torvane.dll ]] || { echo "Wrenfield.exe imports $dll"; ok=1; }
  done
  # The program binds IMGOpen, IMGAddFile, IMGClose, IMGDelFile, IMGExtractFile and
  # IMGCompact from Torvane.dll by name (IMGDelFile and IMGExtractFile for the install
  # records: undo and rollback; IMGCompact for the list of installations).
  local from_torvane
  from_torvane=$(i686-w64-mingw32-objdump -p "$unpacked/Wrenfield.exe" |
    awk '/DLL Name:/ {in_torvane = tolower($3) == "torvane.dll"; next}
         in_torvane && NF == 3 && $2 ~ /^[0-9]+$/ {print $3}' |
    sort | tr '\n' ' ')
  [ "$from_torvane" = "IMGAddFile IMGClose IMGCompact IMGDelFile IMGExtractFile IMGOpen " ] ||
    { echo "from Torvane.dll Wrenfield.exe imports: $from_torvane"; ok=1; }
  return $ok
}

one_version_everywhere() {
  local ok=0 versions
  grep -qx "## $version" CHANGELOG.md || { echo "CHANGELOG.md has no section ## $version"; ok=1; }
  [ "$(build/native/bin/wrenfield-cli --version)" = "wrenfield-cli $version" ] ||
    { echo "wrenfield-cli --version: $(build/native/bin/wrenfield-cli --version)"; ok=1; }
  local numeric=${version%%-*}.0
  versions=$(cd "$unpacked" && bash "$root/scripts/$runner" "$root/$driver" versions \
    Wrenfield.exe Torvane.dll | tr -d '\r') || { echo "$versions"; return 1; }
  echo "$versions"
  local file
  for file in Wrenfield.exe Torvane.dll; do
    grep -qxF "$file fixed=$numeric FileVersion=$version ProductVersion=$version ProductName=Wrenfield OriginalFilename=$file" <<<"$versions" ||
      { echo "$file: version resource does not carry $version"; ok=1; }
  done
  return $ok
}

# Every line ends in CR LF (no lone CR or LF), and the bytes are code page 1251, not UTF-8.
is_windows_text() {
  local file=$1 crs lfs crlfs
  [ -s "$file" ] || fail "$file is empty" || return 1
  crs=$(tr -cd '\r' <"$file" | wc -c)
  lfs=$(tr -cd '\n' <"$file" | wc -c)
  crlfs=$(grep -c $'\r$' "$file")
  if [ "$crs" != "$lfs" ] || [ "$lfs" != "$crlfs" ] || [ "$(tail -c 1 "$file" | od -An -tx1)" != " 0a" ]; then
    fail "$file: not every line ends in CR LF"; return 1
  fi
  iconv -f CP1251 -t UTF-8 <"$file" >/dev/null || fail "$file: not code page 1251" || return 1
  if grep -q $'[\x80-\xff]' "$file" && iconv -f UTF-8 -t UTF-16 <"$file" >/dev/null 2>&1; then
    fail "$file: UTF-8, not code page 1251"; return 1
  fi
}

guide_is_windows_text_and_quotes_every_program_text() {
  is_windows_text "$unpacked/Readme.txt" && is_windows_text "$unpacked/LICENSE.txt" || return 1
  grep -q "^Wrenfield $version"$'\r'"\$" "$unpacked/Readme.txt" ||
    fail "Readme.txt does not name version $version" || return 1
  local missing=0 text sources
  # The sources the release build compiled into the two binaries, headers included
  # (a compiler launcher such as ccache may have recorded them relative to the build);
  # the table of texts is compiled through its code page 1251 form in the build
  # folder, so the table itself is read in its place.
  mapfile -t sources < <(ninja -C build/release-win32 -t deps | grep -E '^ +[^ ].*\.(h|cpp)$' |
    sed 's/^ *//' | (cd build/release-win32 && xargs realpath -m) | grep "^$root/" |
    grep -v "^$root/build/" | sort -u)
  [ "${#sources[@]}" -gt 0 ] || fail "no sources listed for the release build" || return 1
  # grep reads to the end: with pipefail, an early exit would fail ninja on SIGPIPE.
  ninja -C build/release-win32 -t deps | grep "messages_cp1251\.cpp" >/dev/null ||
    fail "the release build did not compile the table of texts" || return 1
  sources+=("$root/installer/messages/messages.cpp")
  while IFS= read -r text; do
    grep -qF -- "$text" "$unpacked/Readme.txt" && continue
    echo "Readme.txt does not quote: $(iconv -f CP1251 -t UTF-8 <<<"$text")"
    missing=1
  done < <(perl scripts/program-texts.pl "${sources[@]}")
  return $missing
}

windows_path() { printf 'C:\\%s' "${1//\//\\}"; }

# Takes a picture of the program's window while the driver waits on the pause file.
screenshot_when_paused() {
  local pause=$1
  for _ in $(seq 600); do
    [ -e "$pause" ] && break
    sleep 0.1
  done
  [ -e "$pause" ] || return 0
  sleep 1  # the fields' last repaint
  xwd -silent -name "Wrenfield by Odrun" 2>/dev/null | convert xwd:- "$shot" 2>/dev/null ||
    xwd -root -silent | convert xwd:- -trim +repage "$shot"
  rm -f "$pause"
}

window_installs_the_demo_mod() {
  local drive_c=$prefix/drive_c place=wrenfield-release-test
  local folder=$drive_c/$place app=$drive_c/$place/Wrenfield
  rm -rf "$folder" "$work/twin" && mkdir -p "$app" "$work"
  unzip -q "$window_zip" -d "$app" || return 1
  build/native/bin/wrenfield-cli demo "$folder/game" "$folder/mod" >/dev/null || return 1
  build/native/bin/wrenfield-cli demo "$work/twin/game" "$work/twin/mod" >/dev/null || return 1
  local pause=$folder/paused
  rm -f "$shot"
  (cd "$app" && exec bash "$root/scripts/$runner" Wrenfield.exe >/dev/null 2>&1) &
  app_pid=$!
  screenshot_when_paused "$pause" &
  local shooter=$! status=0
  bash scripts/"$runner" "$root/$driver" install "$(windows_path "$place/game")" \
    "$(windows_path "$place/mod")" "$(windows_path "$place/paused")" | tr -d '\r' || status=1
  # A driver that gave up leaves the program running (perhaps with a box open).
  [ "$status" = 0 ] || kill "$app_pid" "$shooter" 2>/dev/null
  wait "$shooter" "$app_pid" 2>/dev/null
  app_pid=
  [ "$status" = 0 ] || return 1
  [ -s "$shot" ] && echo "screenshot of the window: $shot"

  # The program's folder holds the unpacked files and the remembered game folder only.
  [ "$(cd "$app" && ls | sort | tr '\n' ' ')" = "LICENSE.txt Readme.txt Torvane.dll Wrenfield.exe lastdir.ini " ] ||
    fail "the program's folder holds: $(ls "$app")" || return 1
  grep -qF "Value=$(windows_path "$place/game")" "$app/lastdir.ini" ||
    fail "lastdir.ini: $(cat "$app/lastdir.ini")" || return 1
  # The same game folder as the command line's installation of the same mod.
  build/native/bin/wrenfield-cli install "$work/twin/game" --mod "$work/twin/mod" >/dev/null ||
    return 1
  # The install records alike too, but for when and from where each installed.
  diff -r -x manifest.txt "$work/twin/game" "$folder/game" || return 1
  local manifest=Wrenfield/installs/0001/manifest.txt
  diff <(grep -avE '^(date|mod folder|field DFF|field TXD): ' "$work/twin/game/$manifest") \
    <(grep -avE '^(date|mod folder|field DFF|field TXD): ' "$folder/game/$manifest") || return 1
  grep -aq '^state: complete' "$folder/game/$manifest" || fail "the record is not complete"
  ls "$folder/game/data" | grep -q _Backup || fail "no backups were made"
}

# A failure before the checks counts as one failed test.
give_up() {
  echo "==> $1 failed"
  echo "0% tests passed, 1 tests failed out of 1"
  exit 1
}

echo "==> building the release"
bash scripts/release.sh || give_up "scripts/release.sh"
echo "==> building wrenfield-cli and the window driver"
if host_runs_win32; then
  arch=win32 preset=mingw runner=wine-run.sh prefix=$WINEPREFIX window_zip=$zip
else
  echo "==> the 32-bit Wrenfield.exe cannot run here ($no_win32_reason): its window is tested on the 64-bit twin"
  arch=win64 preset=mingw64 runner=wine64-run.sh prefix=$WRENFIELD_WINEPREFIX64
  window_zip=build/release-win64/Wrenfield-$version-win64.zip
  bash scripts/release.sh win64 >/dev/null || give_up "scripts/release.sh win64"
fi
driver=build/$preset/bin/release_driver.exe
{ cmake --preset native >/dev/null && cmake --build --preset native --target wrenfield-cli &&
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target release_driver; } >/dev/null ||
  give_up "building wrenfield-cli and the window driver"

unpacked=$work/unpacked
rm -rf "$unpacked" && mkdir -p "$unpacked" && unzip -q "$zip" -d "$unpacked" || give_up "unpacking $zip"

check "the zip holds exactly ${expected_files[*]}" zip_holds_exactly_its_files
check "Wrenfield.exe and Torvane.dll are 32-bit and stripped" binaries_are_32_bit_and_stripped
check "they import only system DLLs and Torvane.dll" binaries_import_only_system_dlls_and_torvane
check "version $version in CHANGELOG.md, wrenfield-cli and both version resources" one_version_everywhere
check "Readme.txt and LICENSE.txt are code page 1251 with CR LF; the guide quotes every program text" \
  guide_is_windows_text_and_quotes_every_program_text
check "Wrenfield.exe ($arch) from the unpacked zip installs the demo mod through its window" \
  window_installs_the_demo_mod
if [ "$arch" != win32 ]; then
  echo "--- the 32-bit Wrenfield.exe's window: NOT RUN ($no_win32_reason)"
  not_run=1
fi

total=$((passed + failed))
echo "$((total == 0 ? 0 : 100 * passed / total))% tests passed, $failed tests failed out of $total"
[ "$not_run" = 0 ] || echo "not run $not_run"
[ "$failed" = 0 ]
