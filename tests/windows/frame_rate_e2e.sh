#!/usr/bin/env bash
# lumivex.exe under Wine on Xvfb (no vsync): the pacer on QueryPerformanceCounter and
# MsgWaitForMultipleObjectsEx keeps the intro at 60 +- 2 frames a second, counted over 5 s
# of swaps; Escape still ends it with exit code 0. Timed: run alone (RUN_SERIAL).
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
start_sound
make_prefix
make_run_folder
start_show
wait_window "Lumivex by Tarnel" 60 >/dev/null || fail "no show window"
wait_swaps 60 60 || fail "fewer than 60 frames shown"
first=$(swaps)
began=$(date +%s.%N)
sleep 5
last=$(swaps)
ended=$(date +%s.%N)
fps=$(awk -v n=$((last - first)) -v a="$began" -v b="$ended" 'BEGIN { printf "%.2f", n / (b - a) }')
echo "the intro under wine64 + Xvfb: $fps frames a second"
check 'f >= 58 && f <= 62' f="$fps" ||
  fail "$fps frames a second, not 60 +- 2 (counted over 5 s of swaps; a loaded machine may miss it)"
escape_ends_show
echo "PASS: $fps frames a second under Wine, exit 0 on Escape"
