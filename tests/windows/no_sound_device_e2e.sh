#!/usr/bin/env bash
# No sound device at all: waveOutOpen fails, the music player reports "Can't initialize
# device" in a box and the log, and the show runs silent (its intro stays on its first
# scene) until Escape, exit code 0.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
no_sound
make_prefix
make_run_folder
start_show

answer "Vorlen - ERROR" Return 60 || fail "no error box without a sound device"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "the show did not go on"
wait_swaps 10 60 || fail "no frames after the box"
escape_ends_show
expected=$(printf " .:Vorlen Engine Errors File:.\n\n\nQuenra3D_Music -> Can't initialize device   [0]")
[ "$(log_text)" = "$expected" ] || fail "log is: $(log_text)"
echo "PASS: no sound device: reported, logged, the show ran silent; exit 0"
