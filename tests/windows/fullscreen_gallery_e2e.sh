#!/usr/bin/env bash
# lumivex.exe on an 800x600x16 screen: ChangeDisplaySettingsA succeeds, so the show is a
# fullscreen popup with no question asked; the intro plays to the gallery with the null
# sink as the sound device; keys 1/2/3 and the arrows change the gallery; Escape ends it
# with exit code 0 and a log holding only the banner.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
start_sound
make_prefix
make_run_folder
start_show
started=$(date +%s)

id=$(wait_window "Lumivex by Tarnel" 60) || fail "no show window"
[ -z "$(window_id "Ruvo GL")" ] || fail "the fullscreen question was asked on an 800x600 screen"
[ -z "$(window_id "Vorlen - ERROR")" ] || fail "an error box: $(grep -a ' -> ' "$WORK/show.err")"
geometry=$(xwininfo -id "$id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$geometry" = "800x600" ] || fail "window is $geometry"
position=$(xwininfo -id "$id" | awk '/Absolute upper-left X:/{x=$4} /Absolute upper-left Y:/{y=$4} END{print x "," y}')
[ "$position" = "0,0" ] || fail "window at $position"

wait_swaps 20 60 || fail "fewer than 20 frames shown"
first=$(swaps)
sleep 5
last=$(swaps)
fps=$(((last - first) / 5))
echo "frame rate under wine64 + Xvfb 800x600x16: $fps frames/s ($((last - first)) swaps in 5 s)"
[ "$fps" -ge 2 ] || fail "the show hardly draws: $fps frames/s"
shot intro

# The gallery takes over when the music reaches order 6, 46 s in. It faces the back
# wall, whose credits panel no key changes and which stands still, where every intro
# scene moves; a picture hangs on each side wall.
back=240x240+280+180
left=50x250+5+180
right=80x200+710+200
in_gallery=0
while [ $(($(date +%s) - started)) -lt 120 ]; do
  show_running || fail "the show ended during the intro"
  if [ $(($(date +%s) - started)) -ge 44 ]; then
    shot gallery1
    sleep 0.3
    shot still
    if [ "$(difference $back gallery1 still)" = 0 ]; then
      in_gallery=1
      break
    fi
  fi
  sleep 1
done
[ $in_gallery = 1 ] || fail "no gallery within 120 s"
echo "the gallery stands after $(($(date +%s) - started)) s"
press 3 # set 3: only the back-wall picture; the side walls go dark
sleep 0.5
shot gallery3
press 2 # set 2: other pictures on the walls
sleep 0.5
shot gallery2
press 1
sleep 0.5
shot gallery1again
r1=$(brightness $right gallery1)
r3=$(brightness $right gallery3)
l1=$(brightness $left gallery1)
l2=$(brightness $left gallery2)
l1again=$(brightness $left gallery1again)
echo "right wall: set 1 $r1, set 3 $r3; left wall: set 1 $l1, set 2 $l2, set 1 again $l1again"
check 'r3 < r1 / 2' r1="$r1" r3="$r3" || fail "key 3 left the side pictures on"
check 'l2 - l1 > 0.05 || l1 - l2 > 0.05' l1="$l1" l2="$l2" || fail "key 2 did not change the pictures"
check 'l1 - a < 0.01 && a - l1 < 0.01' l1="$l1" a="$l1again" || fail "key 1 did not bring set 1 back"

# Right turns the room; Up moves the viewer towards the back wall.
hold Right 1
sleep 0.3
shot turned
hold Up 1
sleep 0.3
shot moved
turned=$(difference $back gallery1again turned)
moved=$(difference $back turned moved)
echo "back wall after Right: difference $turned; after Up: $moved"
check 'd > 0.03' d="$turned" || fail "Right did not turn the view"
check 'd > 0.01' d="$moved" || fail "Up did not move the view"
first=$(swaps)
sleep 3
echo "gallery frame rate: $((($(swaps) - first) / 3)) frames/s"
if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then
  cp "$WORK/intro.png" "$WORK/gallery1.png" "$WORK/gallery2.png" "$WORK/gallery3.png" \
    "$WORK/turned.png" "$WORK/moved.png" "$LUMIVEX_E2E_SHOTS/"
fi

press Escape
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after Escape"
[ "$(log_text)" = "$(printf ' .:Vorlen Engine Errors File:.\n\n\n')" ] || fail "log: $(log_text)"
grep -q $'\r' "$RUN/data/VorlErrors.txt" || fail "the log is not a Windows text file (no CR LF)"
echo "PASS: fullscreen at 800x600, gallery answers 1/2/3 and arrows, $fps frames/s, exit 0 on Escape"
