#!/usr/bin/env bash
# Makes the unpack tests' sample archives with the tools players use: Info-ZIP's
# zip and 7-Zip's 7zz. Each archive's files are first written as a tree under
# OUT/trees/NAME, which is also what unpacking it by hand gives.
#   make_sample_archives.sh OUT READMES
# READMES is the folder of real mod read-mes; the layouts that use them are left out
# when it is absent.
set -euo pipefail
out=$1 readmes=$2
rm -rf "$out"
mkdir -p "$out/trees"
trees=$(cd "$out/trees" && pwd)
archives=$(cd "$out" && pwd)

# pack TOOL ARCHIVE TREE [OPTIONS...]: packs the tree's contents (not the tree folder).
pack() {
  local tool=$1 archive=$2 tree=$3
  shift 3
  (cd "$trees/$tree" && case $tool in
    zip) zip -q -r -X "$@" "$archives/$archive" . ;;
    7z) 7zz a -bd -bso0 -bsp0 "$@" "$archives/$archive" . ;;
  esac)
}

# bytes SIZE: filler that compresses poorly (the tests compare with the trees).
bytes() { head -c "$1" /dev/urandom; }

cp866() { printf '%s' "$1" | iconv -f UTF-8 -t CP866; }

# Names: a Russian folder and files, written as UTF-8 bytes, as code page 866 bytes
# (what a Russian DOS-era tool writes) and with the UTF-8 flag set.
mkdir -p "$trees/names/Машина/Текстуры"
printf 'model' >"$trees/names/Машина/Модель.dff"
printf 'texture' >"$trees/names/Машина/Текстуры/Ёлка.txd"
printf 'readme' >"$trees/names/Машина/Прочти.txt"
LC_ALL=C pack zip names_utf8.zip names
mkdir -p "$trees/names_cp866"
(cd "$trees/names" && find . -print0) | while IFS= read -r -d '' path; do
  target="$trees/names_cp866/$(cp866 "$path")"
  if [ -d "$trees/names/$path" ]; then mkdir -p "$target"; else cp "$trees/names/$path" "$target"; fi
done
LC_ALL=C pack zip names_cp866.zip names_cp866
LC_ALL=C.UTF-8 pack 7z names_flagged.zip names -tzip
LC_ALL=C.UTF-8 pack 7z names.7z names -m0=LZMA2 -ms=on

# Formats: one tree in every method the mods come in.
mkdir -p "$trees/formats/models/Машина" "$trees/formats/empty folder"
for i in $(seq 1 400); do echo "line $i of a read-me, much like every other line"; done \
  >"$trees/formats/readme.txt"
bytes 150000 >"$trees/formats/models/Машина/car.dff"
bytes 70000 >"$trees/formats/models/Машина/car.txd"
: >"$trees/formats/models/empty.txt"
pack zip stored.zip formats -0
pack zip deflate.zip formats -9
pack 7z lzma2_solid.7z formats -m0=LZMA2 -ms=on
pack 7z lzma.7z formats -m0=LZMA -ms=off
pack 7z bcj.7z formats -m0=BCJ -m1=LZMA2
pack 7z ppmd.7z formats -m0=PPMd

# Protected by a password: the data only, and the names too.
pack zip password.zip formats -P secret
pack 7z password.7z formats -psecret
pack 7z password_names.7z formats -psecret -mhe=on

# A symbolic link, kept as a link.
mkdir -p "$trees/link"
printf 'data' >"$trees/link/file.txt"
ln -s file.txt "$trees/link/link.txt"
(cd "$trees/link" && zip -q -y -X "$archives/link.zip" file.txt link.txt)

# Formats not taken: a tar archive.
(cd "$trees/formats" && tar -cf "$archives/formats.tar" .)

# The real read-mes in the layouts mods come in.
[ -d "$readmes" ] || exit 0
# The mod two levels down, its read-me beside the model.
mkdir -p "$trees/nested/Comet Plus+/Modelo"
cp "$readmes/01_CometPlus__lineas comet.txt" "$trees/nested/Comet Plus+/Modelo/lineas comet.txt"
bytes 30000 >"$trees/nested/Comet Plus+/Modelo/comet.dff"
bytes 20000 >"$trees/nested/Comet Plus+/Modelo/comet.txd"
pack zip nested.zip nested
# Two variants side by side, each a whole mod.
for variant in 1 2; do
  folder="$trees/variants/Mesa Plus+/Mesa (вариант $variant)"
  mkdir -p "$folder"
  cp "$readmes/02_MesaPlus__Lines.txt" "$folder/Lines.txt"
  bytes 30000 >"$folder/mesa.dff"
  bytes 20000 >"$folder/mesa.txd"
done
pack 7z variants.7z variants -m0=LZMA2 -ms=on
# The read-me beside the model's folder; by hand, it is put into that folder.
mkdir -p "$trees/beside/Freeway Plus/Model"
cp "$readmes/05_FreewayPlus__Lines.txt" "$trees/beside/Freeway Plus/Lines.txt"
bytes 30000 >"$trees/beside/Freeway Plus/Model/freeway.dff"
bytes 20000 >"$trees/beside/Freeway Plus/Model/freeway.txd"
pack zip beside.zip beside
pack 7z beside.7z beside -m0=LZMA2 -ms=on
mkdir -p "$trees/beside_by_hand"
cp -r "$trees/beside/Freeway Plus/Model" "$trees/beside_by_hand/Model"
cp "$readmes/05_FreewayPlus__Lines.txt" "$trees/beside_by_hand/Model/Lines.txt"
