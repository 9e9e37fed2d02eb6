#!/bin/bash
# On an 800x600x16 screen the show goes fullscreen, shows frames, ends with exit code 0
# on Escape and leaves a log holding the banner (and one line per missing picture).
source "$(dirname "$0")/lib.sh" "$@"

start_x 800x600x16
make_run_folder
start_show

boxes=$(answer_error_boxes)
[ "$boxes" -eq "$(missing_pictures)" ] ||
  fail "$boxes error boxes for $(missing_pictures) missing pictures"
id=$(wait_window "Lumivex by Tarnel" 30) || fail "no show window"
# Without a window manager a fullscreen window is simply the whole screen at 0, 0 (the
# window-manager state is checked in close_request_test.sh).
expect_fullscreen "$id"

wait_swaps 20 60 || fail "fewer than 20 frames shown"
# Frame rate: swaps counted over three seconds while the intro plays.
first=$(swaps)
sleep 3
last=$(swaps)
echo "frame rate under Xvfb 800x600x16: $(((last - first) / 3)) frames/s ($((last - first)) swaps in 3 s)"

import -window root "$WORK/shot.png" || fail "no screenshot"
colours=$(convert "$WORK/shot.png" -format %k info:)
[ "$colours" -gt 1 ] || fail "the screen is a single colour"
if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then cp "$WORK/shot.png" "$LUMIVEX_E2E_SHOTS/fullscreen.png"; fi

escape_ends_show
diff <(expected_log) "$RUN/data/VorlErrors.txt" >&2 || fail "the log is not as expected"
echo "PASS: fullscreen, $(swaps) frames, exit 0 on Escape, log as expected"
