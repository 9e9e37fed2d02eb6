#!/bin/bash
# On a 1024x768x24 screen, answering the question with No (Escape) shows "Program Will
# Now Close." and ends with exit code 0; no show window ever appears.
source "$(dirname "$0")/lib.sh" "$@"

start_x 1024x768x24
make_run_folder
start_show

question=$(wait_window "Ruvo GL" 30) || fail "no question box"
xdotool key --window "$question" Escape
closing=$(wait_window "ERROR" 30) || fail "no closing box"
[ -z "$(window_id "Lumivex by Tarnel")" ] || fail "a show window appeared"
xdotool key --window "$closing" Return
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code"
grep -q "^ERROR: Program Will Now Close.$" "$WORK/show.err" || fail "no closing message"
[ ! -e "$RUN/data/VorlErrors.txt" ] || fail "the log was opened although nothing loaded"
echo "PASS: refused mode, No ends with exit code 0 and no window"
