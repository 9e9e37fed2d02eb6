#!/usr/bin/env bash
# Runs one Windows program under wine64 with what the Windows tests need: a private Xvfb
# (800x600x16), a PulseAudio null sink as the sound device and a fresh wine prefix; its
# exit code is the program's. Exits 77 (skipped) where wine64 is missing.
#   wine_env.sh program.exe [arguments...]
source "$(dirname "$0")/lib.sh" "$1"
shift
start_x 800x600x16
start_sound
make_prefix
"$WINE" "$EXE" "$@"
code=$?
exit $code
