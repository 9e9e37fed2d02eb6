#!/bin/bash
# A report is on disk by the time its box is on screen: with a picture missing, the log
# holds the banner and the report while the box is up, and still holds both after the
# whole process group (the show and the child that draws its box) is killed outright.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
make_run_folder
rm "$RUN/data/mur.jpg"
start_show setsid
box=$(wait_window "Vorlen - ERROR" 30) || fail "no error box for the missing picture"
expected="$(expected_log)"
sleep 0.5
[ "$(cat "$RUN/data/VorlErrors.txt")" = "$expected" ] ||
  fail "while the box is up the log holds: '$(cat "$RUN/data/VorlErrors.txt")'"
kill -KILL -- -"$SHOW_PID"
wait "$SHOW_PID" 2>/dev/null
for _ in $(seq 1 20); do
  [ -z "$(window_id "Vorlen - ERROR")" ] && break
  sleep 0.1
done
[ -z "$(window_id "Vorlen - ERROR")" ] || fail "the box outlived its process group"
diff <(echo "$expected") "$RUN/data/VorlErrors.txt" >&2 || fail "the kill lost the log"
echo "PASS: the banner and the report survive SIGKILL while the box is up"
