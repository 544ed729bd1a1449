#!/usr/bin/env bash
# The main job: build, then show the archive library at work on a generated sample archive.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target wrenfield-cli
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
# A demo game and a demo vehicle mod: read the mod, install it, show what changed.
"$cli" demo "$work/game" "$work/mod"
"$cli" read "$work/mod" > "$work/fields.json"
cat "$work/fields.json"
"$cli" install "$work/game" "$work/fields.json"
diff <(tr -d '\r' < "$work/game/data/carcols_Backup.dat") <(tr -d '\r' < "$work/game/data/carcols.dat") || true
"$cli" img extract "$work/game/models/gta3.img" monster.dff "$work/monster.out"
cmp -n "$(stat -c %s "$work/mod/monster.dff")" "$work/mod/monster.dff" "$work/monster.out"
"$cli" install "$work/game" --mod "$work/mod"
