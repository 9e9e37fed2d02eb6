#!/bin/bash
# The portable tarball: unpacked into a scratch folder and started from /, the show finds
# data/ beside itself, shows the logo, logs into that data folder and ends on Escape; the
# tools run from / too. Its programs need no SDL2, libopenmpt or libjpeg from the system.
#
#   tarball_test.sh TARBALL VERSION
source "$(dirname "$0")/lib.sh" || exit 1
TARBALL=${1:?usage: $0 TARBALL VERSION}
VERSION=${2:?usage: $0 TARBALL VERSION}
require_package "$TARBALL"
need_tools tar ldd readelf

mkdir "$WORK/unpacked"
tar -C "$WORK/unpacked" -xzf "$TARBALL" || fail "cannot unpack $TARBALL"
TOP="$WORK/unpacked/lumivex-$VERSION"
for file in lumivex lumivex-capture obj2model lumivex-view font.bmp data/tarnel.jpg data/lumivex.xm README COPYRIGHT; do
  [ -f "$TOP/$file" ] || fail "the tarball has no lumivex-$VERSION/$file"
done
[ "$(ls "$TOP/data" | wc -l)" -eq 23 ] || fail "data/ holds $(ls "$TOP/data" | wc -l) files, not 23"

for program in lumivex lumivex-capture obj2model lumivex-view; do
  echo "--- ldd $program"
  ldd "$TOP/$program" | tee "$WORK/ldd" || fail "ldd $program failed"
  echo "--- needed by $program itself: $(readelf -d "$TOP/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')"
  if grep -Ei 'sdl|openmpt|jpeg|glu|stdc\+\+|libav|libsw|not found' "$WORK/ldd"; then
    fail "$program needs the libraries above from the system"
  fi
done

(cd / && "$TOP/obj2model" --version) | grep -qx "obj2model $VERSION" || fail "obj2model --version"
expect_capture_reads_data / "$TOP/lumivex-capture"
# Without FFmpeg's libraries an encoded video is refused in one line, and nothing written.
(cd / && "$TOP/lumivex-capture" --out "$WORK/clip.mp4" --quiet) >"$WORK/mp4.out" 2>&1
code=$?
[ $code -eq 2 ] || fail "lumivex-capture --out clip.mp4 exited with $code, not 2"
[ "$(wc -l <"$WORK/mp4.out")" -eq 1 ] && grep -q "^lumivex-capture: this build writes PNG frames or Y4M;" "$WORK/mp4.out" ||
  { cat "$WORK/mp4.out" >&2; fail "lumivex-capture --out clip.mp4 did not answer in one line"; }
[ ! -e "$WORK/clip.mp4" ] && [ ! -e "$WORK/clip.mp4.part" ] || fail "a refused capture wrote a file"
expect_viewer_shot / "$TOP/lumivex-view"

start_x 800x600x16
start_in / "$TOP/lumivex"
expect_logo tarball_logo
end_with_escape
expect_banner_only "$TOP/data/VorlErrors.txt"
echo "PASS: unpacked, started from /: logo on screen, log beside the program, exit 0 on" \
  "Escape; no SDL2, libopenmpt or libjpeg from the system"
