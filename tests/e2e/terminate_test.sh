#!/bin/bash
# A termination request from outside (SIGTERM, Ctrl+C) is handled like closing the
# window: a normal teardown and exit code 0.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
make_run_folder
start_show
answer_error_boxes >/dev/null
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"
wait_swaps 10 60 || fail "no frames shown"
kill -TERM "$SHOW_PID"
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after SIGTERM"
diff <(expected_log) "$RUN/data/VorlErrors.txt" >&2 || fail "the log is not as expected"
echo "PASS: SIGTERM ends the show with exit code 0"
