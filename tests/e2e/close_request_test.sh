#!/bin/bash
# Closing the window through the window manager (Alt+F4 in openbox sends the close
# request) ends the show with exit code 0 after a normal teardown.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
start_window_manager
make_run_folder
start_show

answer_error_boxes >/dev/null
id=$(wait_window "Lumivex by Tarnel" 30) || fail "no show window"
wait_swaps 10 60 || fail "no frames shown"
xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN || fail "not fullscreen"

xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
xdotool key alt+F4
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after the close request"
grep -q "Program Will Now Close\|SHUTDOWN ERROR" "$WORK/show.err" && fail "unexpected box"
diff <(expected_log) "$RUN/data/VorlErrors.txt" >&2 || fail "the log is not as expected"
echo "PASS: close request ends the show with exit code 0"
