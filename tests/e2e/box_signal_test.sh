#!/bin/bash
# SIGTERM, then Ctrl+C (SIGINT), while the start-up question is open (a 1024x768x24 screen
# has no 800x600 mode): the box closes as No, the show ends as it does after No, with exit
# code 0 and no box or process of it left behind.
source "$(dirname "$0")/lib.sh" "$@"

start_x 1024x768x24
make_run_folder
for signal in TERM INT; do
  start_show
  wait_window "Ruvo GL" 30 >/dev/null || fail "no question box"
  sleep 0.5
  box=$(cat /proc/"$SHOW_PID"/task/*/children) # the process SDL shows the box from
  [ -n "$box" ] || fail "no process shows the box"
  kill -$signal "$SHOW_PID"
  wait_exit 10
  code=$?
  [ $code -eq 0 ] || fail "SIG$signal while the question is open: exit code $code"
  grep -q "^ERROR: Program Will Now Close.$" "$WORK/show.err" || fail "SIG$signal: not ended as after No"
  sleep 0.5
  [ -z "$(window_id "Ruvo GL")$(window_id "ERROR")" ] || fail "SIG$signal: a box is left on the screen"
  for pid in $box; do ! kill -0 "$pid" 2>/dev/null || fail "SIG$signal: the box's process is left"; done
  echo "SIG$signal while the question is open: exit code 0, as after No"
done
echo "PASS: SIGTERM and Ctrl+C close the start-up question and end the show cleanly"
