#!/usr/bin/env bash
# near-white.sh [FRAMES]: how much of the tunnel scenes the particle stream burns out, on a
# 60 fps capture at 400 x 300. FRAMES is a folder of such PNG frames (frame_000000.png ...);
# without it the capture is made first, from the repository root, with BUILD's
# lumivex-capture (default build). Needs ImageMagick.
#
# Grey is Rec. 601 luma of the stored 8-bit values, 0.299 R + 0.587 G + 0.114 B (ImageMagick's
# Rec601Luma); near-white is grey >= 245 of 255 (96 %). Frame i shows the music at i / 60 s,
# and every order lasts 7.68 s: order 2 is 15.36 to 23.04 s, order 3 23.04 to 30.72 s.
#
# Prints, for order 3, the share of near-white pixels in the box 120 x 45 at (140, 117) (the
# middle of the "presents" panel) in the median frame; for order 2, how many frames have
# near-white pixels in the middle of the screen (the box 200 x 150 at (100, 75)) and the
# share of that box in the frame with the most.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
frames=${1:-}
if [ -z "$frames" ]; then
  frames=$(mktemp -d)
  trap 'rm -rf "$frames"' EXIT
  capture=${BUILD:-$root/build}/tools/capture/lumivex-capture
  [ -x "$capture" ] || { echo "near-white: no $capture (build lumivex-capture)" >&2; exit 1; }
  (cd "$root" && "$capture" --out "$frames" --fps 60 --size 400x300 --seconds 31 \
    --quiet >/dev/null)
fi
first=$frames/frame_000000.png
[ -f "$first" ] || { echo "near-white: no frames in $frames" >&2; exit 1; }
size=$(identify -format '%wx%h' "$first")
[ "$size" = 400x300 ] || { echo "near-white: frames are $size, not 400x300" >&2; exit 1; }

# ImageMagick keeps grey on a 16-bit scale (245 of 255 is 245 x 257); "exceeds" is >.
threshold=$((245 * 257 - 1))

# One line per frame from from_frame to before to_frame: the share (0..1) of the crop that
# is near-white.
Shares() {  # from_frame to_frame crop
  local i f specs=()
  for ((i = $1; i < $2; ++i)); do
    f=$(printf '%s/frame_%06d.png' "$frames" "$i")
    [ -f "$f" ] || { echo "near-white: $f is missing (capture at least 31 s)" >&2; exit 1; }
    specs+=("$f[$3]")
  done
  convert "${specs[@]}" -grayscale Rec601Luma -threshold "$threshold" -format '%[fx:mean]\n' info:
}

# Order n's frames at 60 fps: from ceil(n * 7.68 * 60) to before ceil((n + 1) * 7.68 * 60).
OrderStart() { echo $(((${1} * 46080 + 99) / 100)); }

order3=$(Shares "$(OrderStart 3)" "$(OrderStart 4)" 120x45+140+117)
order2=$(Shares "$(OrderStart 2)" "$(OrderStart 3)" 200x150+100+75)
sort -g <<<"$order3" | awk '
  { v[NR] = $1 }
  END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "order 3, %d frames: near-white in the box 120x45+140+117, median frame %.1f %%" \
           " (least %.1f %%, most %.1f %%)\n", NR, 100 * m, 100 * v[1], 100 * v[NR]
  }'
awk <<<"$order2" '
  { if ($1 > 0) ++lit; if ($1 > most) most = $1 }
  END {
    printf "order 2, %d frames: near-white in the middle 200x150+100+75 in %d frames," \
           " at most %.2f %% of it\n", NR, lit, 100 * most
  }'
