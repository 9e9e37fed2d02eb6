#!/bin/bash
# The whole show with the shipped data: the intro plays until the music reaches order 6,
# then the gallery stands; keys 3, 2 and 1 change the pictures on the walls, Right turns
# the room, Up walks towards the back wall, and Escape ends the show with exit code 0.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/screen.sh"

start_x 800x600x16
make_run_folder
start_show
started=$(date +%s)
[ "$(answer_error_boxes)" -eq 0 ] || fail "error boxes with the shipped data"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"

# The gallery faces the back wall, whose credits picture stands still where every intro
# scene moves. Order 6 begins 46 s into the music.
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

press 3 # only the back-wall picture: the side walls go dark
sleep 0.5
shot gallery3
press 2
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
if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then
  cp "$WORK"/gallery*.png "$WORK/turned.png" "$WORK/moved.png" "$LUMIVEX_E2E_SHOTS/"
fi

press Escape
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after Escape"
diff <(expected_log) "$RUN/data/VorlErrors.txt" >&2 || fail "the log is not as expected"
echo "PASS: intro to gallery, keys 1/2/3 and arrows act, exit 0 on Escape"
