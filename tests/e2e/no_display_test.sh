#!/bin/bash
# Without any display the show does not run invisibly: it says why on standard error
# and ends at once with exit code 0. Needs no X server.
source "$(dirname "$0")/lib.sh" "$@"

unset DISPLAY WAYLAND_DISPLAY
make_run_folder
start_show
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code"
grep -q '^lumivex: no display' "$WORK/show.err" || fail "no reason given"
[ "$(tail -n 1 "$WORK/show.err")" = "ERROR: Failed To Register The Window Class." ] ||
  fail "not the window-class failure"
[ ! -e "$RUN/data/VorlErrors.txt" ] || fail "a log was written"
echo "PASS: no display: the window-class failure, exit code 0"
