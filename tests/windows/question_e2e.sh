#!/usr/bin/env bash
# lumivex.exe on a 1024x768x24 screen: ChangeDisplaySettingsA refuses 800x600x16, so the
# show asks "Ruvo GL". Yes: an 800x600 window that ends on Escape with exit code 0.
# No: "Program Will Now Close." captioned "ERROR", then exit code 0 with no show window.
source "$(dirname "$0")/lib.sh" "$@"

start_x 1024x768x24
start_sound
make_prefix
make_run_folder

# Yes.
start_show
answer "Ruvo GL" Return 60 || fail "no fullscreen question"
id=$(wait_window "Lumivex by Tarnel" 30) || fail "no window after Yes"
geometry=$(xwininfo -id "$id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
root=$(xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$root" = "1024x768" ] || fail "the display mode changed to $root"
wait_swaps 10 60 || fail "no frames in the window"
# The outer size is 800x600; the client area, which X sees, is smaller by the frame.
w=${geometry%x*}
h=${geometry#*x}
[ "$w" -le 800 ] && [ "$h" -lt 600 ] && [ "$w" -ge 780 ] && [ "$h" -ge 550 ] ||
  fail "windowed client area is $geometry"
press Escape
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after Yes and Escape"
echo "Yes: a ${geometry} client area, exit 0"

# No.
: >"$WORK/show.err"
start_show
id=$(wait_window "Ruvo GL" 60) || fail "no fullscreen question the second time"
sleep 0.3
xdotool key --window "$id" n
answer "ERROR" Return 30 || fail "no closing message after No"
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after No"
grep -q "Program Will Now Close." "$WORK/show.err" || fail "not the closing message"
grep -q "wglSwapBuffers" "$WORK/show.err" && fail "frames were drawn after No"
echo "PASS: the question on 1024x768: Yes runs windowed, No closes with exit 0"
