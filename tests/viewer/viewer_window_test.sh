#!/usr/bin/env bash
# lumivex-view in a real window on a private Xvfb, driven as a person drives it: the model
# and its status line show, a drag with the left button turns it, the wheel brings it
# closer, Right turns it, W, H, S and R do what the status line says, and Escape ends the
# program with code 0 and its frame rate.
set -u
VIEW=$(realpath "${1:?usage: $0 path/to/lumivex-view}")
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PIDS=()
WORK=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-view-e2e-XXXXXX")
cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -f "$WORK/view.err" ] && tail -n 20 "$WORK/view.err" >&2
  exit 1
}
show_running() { kill -0 "$SHOW_PID" 2>/dev/null; }
# shellcheck source=../e2e/screen.sh
source "$HERE/../e2e/screen.sh"

for tool in Xvfb xdotool xwininfo import compare convert; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "SKIPPED: $tool is not installed (scripts/install-deps)" >&2
    exit 77
  }
done
start_xvfb 800x600x24

# A box whose six sides carry a gradient picture, so every turn changes the screen.
cd "$WORK" || exit 1
convert -size 64x64 gradient:orange-navy -type truecolor BMP3:grad.bmp || fail "no texture"
printf 'newmtl side\nmap_Kd grad.bmp\n' >box.mtl
cat >box.obj <<'OBJ'
mtllib box.mtl
v -1 -1 -1
v 1 -1 -1
v 1 1 -1
v -1 1 -1
v -1 -1 1
v 1 -1 1
v 1 1 1
v -1 1 1
vt 0 0
vt 1 0
vt 1 1
vt 0 1
usemtl side
f 5/1 6/2 7/3 8/4
f 2/1 1/2 4/3 3/4
f 6/1 2/2 3/3 7/4
f 1/1 5/2 8/3 4/4
f 8/1 7/2 3/3 4/4
f 1/1 2/2 6/3 5/4
OBJ

"$VIEW" box.obj --size 640x480 >view.out 2>view.err &
SHOW_PID=$!
PIDS+=("$SHOW_PID")
for _ in $(seq 1 100); do
  ID=$(window_id "lumivex-view - box.obj")
  [ -n "$ID" ] && break
  show_running || fail "the viewer ended at once"
  sleep 0.1
done
[ -n "${ID:-}" ] || fail "no viewer window"
sleep 1
shot start
[ "$(window_size "$ID")" = "640x480" ] || fail "window is $(window_size "$ID")"
MODEL=300x300+170+100
BAND=640x16+0+0
echo "status band $(brightness $BAND start), model $(brightness $MODEL start)"
check 'b > 0.05' b="$(brightness $BAND start)" || fail "no status line"
check 'b > 0.1' b="$(brightness $MODEL start)" || fail "no model in the middle"

xdotool mousemove --window "$ID" 320 240 mousedown 1
for x in 340 360 380 400 420; do
  xdotool mousemove --window "$ID" "$x" 250
  sleep 0.1
done
xdotool mouseup 1
sleep 0.5
shot dragged
dragged=$(difference $MODEL start dragged)
for _ in 1 2 3 4; do xdotool click --window "$ID" 4; done
sleep 0.5
shot closer
closer=$(difference $MODEL dragged closer)
hold Right 0.5
sleep 0.3
shot turned
turned=$(difference $MODEL closer turned)
echo "drag $dragged, wheel $closer, Right $turned"
check 'd > 0.02' d="$dragged" || fail "the drag did not turn the model"
check 'd > 0.02' d="$closer" || fail "the wheel did not bring the model closer"
check 'd > 0.01' d="$turned" || fail "Right did not turn the model"
# Closer means larger: the sides reach further out.
check 'a > b' a="$(brightness 640x40+0+440 closer)" b="$(brightness 640x40+0+440 dragged)" ||
  fail "the wheel did not enlarge the model"

# W draws the wireframe over the shading, H lights from the eye, S saves the view as
# box-1.png, R brings the first view back.
press w
sleep 0.5
shot wire
# The lines are thin: count the pixels they change.
wire=$(compare -metric AE -fuzz 3% "$WORK/turned.png[$MODEL]" "$WORK/wire.png[$MODEL]" null: 2>&1)
check 'n > 100' n="$wire" || fail "W drew no wireframe ($wire pixels changed)"
press w
# H is seen from the first view, where the top face shows: R first (checked below).
press r
sleep 0.5
shot plain
press h
sleep 0.5
shot headlight
# The default light comes mostly from the eye too, so the faces turned to the eye look the
# same: H takes away the key light from the upper right, which shows on the top face.
headlight=$(difference 640x440+0+40 plain headlight)
check 'd > 0.003' d="$headlight" || fail "H did not change the light ($headlight)"
press h
press s
for _ in $(seq 1 50); do [ -s box-1.png ] && break; sleep 0.1; done
[ "$(head -c 4 box-1.png | tail -c 3)" = "PNG" ] || fail "S saved no PNG"
grep -q 'saved box-1.png' view.out || fail "the saved picture was not named"
press r
sleep 0.5
shot reset
check 'd < 0.005' d="$(difference $MODEL start reset)" || fail "R did not bring the first view back"
echo "W changed $wire pixels, H $headlight; S saved box-1.png; R brought the first view back"

press Escape
wait_exit 10
code=$?
[ "$code" = 0 ] || fail "exit code $code"
grep -q 'frames per second' view.out || fail "no frame rate: $(cat view.out)"
cat view.out
echo "PASS"
