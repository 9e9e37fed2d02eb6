#!/usr/bin/env bash
# No sound device at all: waveOutOpen fails, the music player reports "Can't initialize
# device" in a box and the log, and the show runs silent until Escape, exit code 0. Its
# intro stays on its first scene, the logo: with the module's tempo raised so that each
# order lasts about a second, an intro that ran on without the music would be past the
# logo within two seconds.
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
no_sound
make_prefix
make_run_folder
# Speed 2 at 255 BPM: the XM header's default tempo and BPM, at bytes 76 and 78.
printf '\002\000\377\000' | dd of="$RUN/data/lumivex.xm" bs=1 seek=76 conv=notrunc status=none
start_show

answer "Vorlen - ERROR" Return 60 || fail "no error box without a sound device"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "the show did not go on"
wait_swaps 10 60 || fail "no frames after the box"
first=$(swaps)
sleep 5
wait_swaps $((first + 10)) 60 || fail "the show stopped drawing after the box"
shot silent
logo=$(compare -metric MAE "$WORK/silent.png" "$WIN_DIR/../../docs/screens/logo.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
echo "$(($(swaps) - first)) frames since the box; the screen against the logo: $logo"
check 'e < 0.03' e="$logo" || fail "the intro left the logo without sound (difference $logo)"
escape_ends_show
expected=$(printf " .:Vorlen Engine Errors File:.\n\n\nQuenra3D_Music -> Can't initialize device   [0]")
[ "$(log_text)" = "$expected" ] || fail "log is: $(log_text)"
echo "PASS: no sound device: reported, logged, the show ran silent; exit 0"
