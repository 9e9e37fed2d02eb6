#!/bin/bash
# Where the display has no 800x600 mode (Xorg, dummy driver, 1024x768 alone) the show asks;
# Yes gives a window, the display mode never changes, and no watcher runs beside the show.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/xorg.sh"

start_xorg windowed
make_run_folder
start_show
question=$(wait_window "Ruvo GL" 30) || fail "no question box"
xdotool key --window "$question" Return
[ "$(answer_error_boxes)" -eq 0 ] || fail "error boxes with the shipped data"
id=$(wait_window "Lumivex by Tarnel" 30) || fail "no show window after Yes"
wait_swaps 10 60 || fail "no frames shown"
[ "$(window_size "$id")" = 800x600 ] || fail "the window is $(window_size "$id")"
[ "$(current_mode)" = 1024x768 ] || fail "the windowed show changed the mode to $(current_mode)"
[ -z "$(pgrep -P "$SHOW_PID")" ] || fail "a process beside the windowed show: $(pgrep -aP "$SHOW_PID")"
xdotool windowfocus --sync "$id" 2>/dev/null
xdotool key Escape
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code"
[ "$(current_mode)" = 1024x768 ] || fail "the display is at $(current_mode) after the show"
echo "PASS: the windowed show leaves the display mode alone"
