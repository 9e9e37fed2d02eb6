#!/bin/bash
# On a 1024x768x24 screen there is no 800x600 mode: the show asks, and Yes (Return)
# gives an 800x600 window that is not fullscreen.
source "$(dirname "$0")/lib.sh" "$@"

start_x 1024x768x24
make_run_folder
start_show

question=$(wait_window "Ruvo GL" 30) || fail "no question box"
[ -z "$(window_id "Lumivex by Tarnel")" ] || fail "show window before the answer"
import -window root "$WORK/question.png" || fail "no screenshot"
if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then cp "$WORK/question.png" "$LUMIVEX_E2E_SHOTS/question.png"; fi
xdotool key --window "$question" Return

answer_error_boxes >/dev/null
id=$(wait_window "Lumivex by Tarnel" 30) || fail "no show window after Yes"
geometry=$(window_size "$id")
[ "$geometry" = "800x600" ] || fail "window is $geometry"
xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN && fail "fullscreen"
screen=$(window_size -root)
[ "$screen" = "1024x768" ] || fail "the display mode changed to $screen"

wait_swaps 10 60 || fail "no frames shown"
escape_ends_show
grep -q "Ruvo GL: The Requested Fullscreen Mode Is Not Supported By" "$WORK/show.err" ||
  fail "the question did not reach standard error"
diff <(expected_log) "$RUN/data/VorlErrors.txt" >&2 || fail "the log is not as expected"
echo "PASS: refused mode, Yes gives an 800x600 window, exit 0"
