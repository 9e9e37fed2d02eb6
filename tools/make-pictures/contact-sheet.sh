#!/usr/bin/env bash
# contact-sheet.sh DATADIR OUT.png: all 22 pictures as the show displays them (the ones
# stored upside down flipped back), labelled with their file names. Needs ImageMagick.
set -euo pipefail
data=${1:?usage: contact-sheet.sh DATADIR OUT.png}
out=${2:?usage: contact-sheet.sh DATADIR OUT.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
upright="mur pres lumivex stars part intro"
n=0
for f in mur tarnel pres lumivex cred 'kavra#2' kavra 'pertaxa#1' 'pertaxa#2' 'dolmane#1' \
         'pertaxa#3' 'kavra#4' stars 'dolmane#2' 'pertaxa#4' 'pertaxa#5' 'dolmane#3' \
         'dolmane#4' part intro 'kavra#5' 'kavra#3'; do
  flip=-flip
  for u in $upright; do [ "$u" = "$f" ] && flip=; done
  n=$((n + 1))
  convert "$data/$f.jpg" $flip -filter Lanczos -resize 200x200 \
    -set label "$f.jpg" "$work/$(printf %02d "$n").png"
done
montage "$work"/*.png -tile 6x -geometry 200x200+6+6 -background '#202020' -fill '#e0e0e0' \
  -font DejaVu-Sans -pointsize 14 "$out"
