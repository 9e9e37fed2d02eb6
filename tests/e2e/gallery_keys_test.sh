#!/bin/bash
# The whole show with the shipped data: the intro plays until the music reaches order 6,
# then the gallery stands; taps of 1, 2 and 3 (each twice) and keys held a while change
# the pictures on the walls, Right turns the room, Up walks towards the back wall, and a
# tapped Escape ends the show with exit code 0.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
make_run_folder
start_show
started=$(date +%s)
[ "$(answer_error_boxes)" -eq 0 ] || fail "error boxes with the shipped data"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"

wait_gallery "$started"
echo "the gallery stands after $(($(date +%s) - started)) s"
check_gallery_taps
check_gallery_keys
if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then
  cp "$WORK"/gallery*.png "$WORK/turned.png" "$WORK/moved.png" "$LUMIVEX_E2E_SHOTS/"
fi

xdotool key Escape # a tap, as quick as the digits
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after Escape"
diff <(expected_log) "$RUN/data/VorlErrors.txt" >&2 || fail "the log is not as expected"
echo "PASS: intro to gallery, taps and held keys 1/2/3 and arrows act, exit 0 on a tapped Escape"
