#!/usr/bin/env bash
# docs-media.sh [FRAMES]: remakes the README's screenshots (docs/screens/*.png), its animated
# preview (docs/preview.webp) and the contact sheet of the pictures (docs/pictures.png) from
# the show as people see it: a capture at 800 x 600, 60 frames a second, with the default
# gallery tour. FRAMES is such a capture's folder (frame_000000.png ...); without it the
# capture is made first, from the repository root, with BUILD's lumivex-capture (default
# build; about 4 minutes and 1.7 GB of frames, removed afterwards). Needs ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
frames=${1:-}
work=$(mktemp -d)
made=("$work")  # removed at the end
trap 'rm -rf "${made[@]}"' EXIT
if [ -z "$frames" ]; then
  frames=$(mktemp -d)
  made+=("$frames")
  capture=${BUILD:-$root/build}/tools/capture/lumivex-capture
  [ -x "$capture" ] || { echo "docs-media: no $capture (build lumivex-capture)" >&2; exit 1; }
  (cd "$root" && "$capture" --out "$frames" --fps 60 --quiet >/dev/null)
fi
Frame() { printf '%s/frame_%06d.png' "$frames" "$1"; }
[ -f "$(Frame 0)" ] || { echo "docs-media: no frames in $frames" >&2; exit 1; }
size=$(identify -format '%wx%h' "$(Frame 0)")
[ "$size" = 800x600 ] || { echo "docs-media: frames are $size, not 800x600" >&2; exit 1; }

# Frame numbers at 60 fps. The intro's orders last 460.8 frames (7.68 s): the tunnel is
# orders 2-3, the spheres 4-5; the gallery's first frame is 2766 and the tour's frames count
# from there (tools/capture/key_script.cpp).
screens=(
  logo:0                     # the logo scene stands still
  tunnel:1200                # 20 s, order 2
  tunnel_panel:1680          # 28 s, order 3
  spheres:2100               # 35 s, order 4
  spheres_panel:2600         # 43.3 s, order 5
  gallery_set1:2796          # tour frame 30, standing still
  gallery_set1_turned:2882   # tour frame 116, turning right
  gallery_set2_back:3511     # tour frame 745, set 2, facing the back wall
  gallery_set3:4041          # tour frame 1275, set 3, facing the back wall
)
for entry in "${screens[@]}"; do
  name=${entry%%:*}
  out=$root/docs/screens/$name.png
  [ -f "$(Frame "${entry##*:}")" ] || { echo "docs-media: capture too short for $name" >&2; exit 1; }
  # No date chunks, so the same frame gives the same file.
  convert "$(Frame "${entry##*:}")" -quality 95 -define png:exclude-chunks=date,time \
    "$work/$name.png"
  # A screenshot whose pixels are unchanged is left as it is.
  if [ -f "$out" ] && [ "$(compare -metric AE "$out" "$work/$name.png" null: 2>&1)" = 0 ]; then
    continue
  fi
  cp "$work/$name.png" "$out"
  echo "docs-media: $out"
done

# The preview: the logo for a second, then runs of real time at 10 frames a second (every
# sixth frame) from each intro scene and two from the tour, at 320 x 240. The logo is given
# ten times: the WebP writer keeps one delay for all frames and merges repeated ones.
runs=(0:10:0 1100:15:6 1580:15:6 2000:15:6 2500:15:6 2830:25:6 3290:15:6)  # first:count:step
list=()
for run in "${runs[@]}"; do
  IFS=: read -r first count step <<<"$run"
  for ((k = 0; k < count; ++k)); do
    f=$(Frame $((first + step * k)))
    [ -f "$f" ] || { echo "docs-media: capture too short for the preview" >&2; exit 1; }
    list+=("$f")
  done
done
convert -delay 10 "${list[@]}" -resize 320x240 -loop 0 -quality 60 -define webp:method=6 \
  "$work/preview.webp"
cp "$work/preview.webp" "$root/docs/preview.webp"
echo "docs-media: $root/docs/preview.webp"

bash "$root/tools/make-pictures/contact-sheet.sh" "$root/data" "$root/docs/pictures.png"
echo "docs-media: $root/docs/pictures.png"
