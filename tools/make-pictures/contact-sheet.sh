#!/usr/bin/env bash
# contact-sheet.sh DATADIR OUT.png [MAKE_PICTURES]: all 22 pictures as the show displays
# them (the ones stored upside down flipped back), labelled with their file names, in
# the order and orientation make-pictures --list gives (default: the one in build/).
# Needs ImageMagick.
set -euo pipefail
usage="usage: contact-sheet.sh DATADIR OUT.png [MAKE_PICTURES]"
data=${1:?$usage}
out=${2:?$usage}
make_pictures=${3:-$(cd "$(dirname "$0")/../.." && pwd)/build/tools/make-pictures/make-pictures}
[ -x "$make_pictures" ] || { echo "contact-sheet.sh: no $make_pictures (build make-pictures)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
list=$("$make_pictures" --list)
n=0
while read -r file orientation; do
  flip=
  [ "$orientation" = upside-down ] && flip=-flip
  n=$((n + 1))
  convert "$data/$file" $flip -filter Lanczos -resize 200x200 \
    -set label "$file" "$work/$(printf %02d "$n").png"
done <<<"$list"
montage "$work"/*.png -tile 6x -geometry 200x200+6+6 -background '#202020' -fill '#e0e0e0' \
  -font DejaVu-Sans -pointsize 14 "$out"
