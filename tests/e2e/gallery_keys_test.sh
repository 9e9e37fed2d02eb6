#!/bin/bash
# The whole show with the shipped data: the intro plays until the music reaches order 6,
# then the gallery stands; keys 3, 2 and 1 change the pictures on the walls, Right turns
# the room, Up walks towards the back wall, and Escape ends the show with exit code 0.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
make_run_folder
start_show
started=$(date +%s)
[ "$(answer_error_boxes)" -eq 0 ] || fail "error boxes with the shipped data"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"

wait_gallery "$started"
echo "the gallery stands after $(($(date +%s) - started)) s"
check_gallery_keys
if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then
  cp "$WORK"/gallery*.png "$WORK/turned.png" "$WORK/moved.png" "$LUMIVEX_E2E_SHOTS/"
fi

escape_ends_show
diff <(expected_log) "$RUN/data/VorlErrors.txt" >&2 || fail "the log is not as expected"
echo "PASS: intro to gallery, keys 1/2/3 and arrows act, exit 0 on Escape"
