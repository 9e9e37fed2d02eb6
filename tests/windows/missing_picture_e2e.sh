#!/usr/bin/env bash
# A picture missing from data\: its message box ("Vorlen - ERROR") shows, is dismissed,
# the show goes on, and "Data\VorlErrors.txt" holds the banner and the picture's line.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
start_sound
make_prefix
make_run_folder
rm "$RUN/data/stars.jpg"
start_show

answer "Vorlen - ERROR" Return 60 || fail "no error box for the missing picture"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "the show did not go on"
wait_swaps 10 60 || fail "no frames after the box"
[ -z "$(window_id "Vorlen - ERROR")" ] || fail "a second error box"
escape_ends_show
expected=$(printf " .:Vorlen Engine Errors File:.\n\n\nqenLoadJPEGTexture -> Texture ' data\\\\stars.jpg ' Loading Error (file don't exist)   [0]")
[ "$(log_text)" = "$expected" ] || fail "log is: $(log_text)"
echo "PASS: the missing picture's box was dismissed and logged; exit 0"
