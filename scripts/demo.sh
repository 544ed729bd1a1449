#!/usr/bin/env bash
# The main job: build everything, show the archive library, the reader and the installer at
# work through wrenfield-cli, then open the window under Wine on a demo game.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/host.sh

# However the demo ends, the window, the Wine processes of its prefix and the virtual
# display end with it.
window_pid= xvfb_pid= window_prefix=
cleanup() {
  set +e
  [ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null
  [ -z "$window_prefix" ] || WINEPREFIX=$window_prefix wineserver -k 2>/dev/null
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native
cli=build/native/bin/wrenfield-cli
work=build/demo
rm -rf "$work" && mkdir -p "$work"
printf 'VER2\0\0\0\0' > "$work/sample.img"
head -c 5000 /dev/urandom > "$work/car.dff"
head -c 2048 /dev/urandom > "$work/car.txd"
printf 'readme\n' > "$work/notes.txt"
set -x
"$cli" img add "$work/sample.img" "$work/car.dff"
"$cli" img add "$work/sample.img" "$work/car.txd"
"$cli" img add "$work/sample.img" "$work/notes.txt" --name readme.txt
"$cli" img list "$work/sample.img"
"$cli" img extract "$work/sample.img" car.dff "$work/car.out"
cmp -n 5000 "$work/car.dff" "$work/car.out"
"$cli" img add "$work/sample.img" "$work/car.txd" --no-replace || true
"$cli" img del "$work/sample.img" readme.txt
"$cli" img list "$work/sample.img"
# A demo game and a demo vehicle mod: read the mod, check it, install it, show what changed.
"$cli" demo "$work/game" "$work/mod"
"$cli" read "$work/mod" > "$work/fields.json"
cat "$work/fields.json"
"$cli" check "$work/game" "$work/fields.json"
"$cli" install "$work/game" "$work/fields.json"
diff <(tr -d '\r' < "$work/game/data/carcols_Backup.dat") <(tr -d '\r' < "$work/game/data/carcols.dat") || true
"$cli" img extract "$work/game/models/gta3.img" monster.dff "$work/monster.out"
cmp -n "$(stat -c %s "$work/mod/monster.dff")" "$work/mod/monster.dff" "$work/monster.out"
"$cli" install "$work/game" --mod "$work/mod"
set +x

# The window: Wrenfield.exe and Torvane.dll under Wine, started in their own folder
# (lastdir.ini lives in the working directory) with a fresh demo game remembered there.
# The pair users get is the 32-bit build; where this host cannot execute 32-bit
# programs, the window of the 64-bit test build is shown instead.
cmake --preset mingw >/dev/null
cmake --build --preset mingw
if host_runs_win32; then
  bin=build/mingw/bin runner=wine-run.sh window_prefix=$WINEPREFIX which="window"
else
  echo "demo: the 32-bit Wrenfield.exe and Torvane.dll are built in build/mingw/bin but cannot run here: $no_win32_reason"
  echo "demo: showing the window of the 64-bit test build (build/mingw64/bin) instead"
  cmake --preset mingw64 >/dev/null
  cmake --build --preset mingw64 --target Wrenfield
  bin=build/mingw64/bin runner=wine64-run.sh window_prefix=$WRENFIELD_WINEPREFIX64
  which="64-bit test build's window"
fi
"$cli" demo "$work/window-game" "$work/window-mod"
windows_path() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }
printf '[SALastDir]\r\nValue=%s\r\n' "$(windows_path "$work/window-game")" > "$bin/lastdir.ini"
echo "demo: game folder $(windows_path "$work/window-game") (remembered in $bin/lastdir.ini)"
echo "demo: mod folder   $(windows_path "$work/window-mod")"
# In a subshell: cd, then exec down to the Wine process itself, so $! is the program.
run_window() { cd "$bin" && LANG=C.UTF-8 LC_ALL=C.UTF-8 exec bash "$root/scripts/$runner" Wrenfield.exe; }
if [ -n "${DISPLAY:-}" ]; then
  echo "demo: opening the $which (close it to end)"
  (run_window)
else
  # No display: a virtual one, and a screenshot of the window in an English locale.
  shot="$work/wrenfield-window.png"
  start_virtual_display 1024x768x24
  (run_window >/dev/null 2>&1) &
  window_pid=$!
  # Wait until the window is drawn (the trimmed screen is as wide as the window).
  for _ in $(seq 1 30); do
    sleep 2
    xwd -root -silent | convert xwd:- -trim +repage "$shot" 2>/dev/null || continue
    [ "$(identify -format %w "$shot")" -ge 590 ] && sleep 2 && break
  done
  xwd -root -silent | convert xwd:- -trim +repage "$shot"
  echo "demo: screenshot of the $which saved to $shot"
fi
