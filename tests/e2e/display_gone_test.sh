#!/bin/bash
# The X server ends under a running show (a logout, a lost remote display): the show ends
# too, within a second or two, instead of spinning on the dead connection.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
make_run_folder
start_show
[ "$(answer_error_boxes)" -eq 0 ] || fail "error boxes with the shipped data"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"
wait_swaps 10 60 || fail "no frames shown"
kill -KILL "$XSERVER_PID"
for tenths in $(seq 1 30); do
  sleep 0.1
  show_running || break
done
show_running && fail "the show still runs 3 s after its display went away"
wait "$SHOW_PID"
code=$?
echo "the show ended $(awk -v t="$tenths" 'BEGIN { printf "%.1f", t / 10 }') s after its display, exit code $code"
echo "PASS: the show ends when its display goes away"
