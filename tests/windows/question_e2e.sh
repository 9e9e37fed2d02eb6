#!/usr/bin/env bash
# lumivex.exe on a 1024x768x24 screen: ChangeDisplaySettingsA refuses 800x600x16, so the
# show asks "Ruvo GL". Yes: an 800x600 window that ends on Escape with exit code 0.
# No: "Program Will Now Close." captioned "ERROR", then exit code 0 with no show window.
source "$(dirname "$0")/lib.sh" "$@"

start_x 1024x768x24
start_sound
make_prefix
make_run_folder

# Yes.
start_show
answer "Ruvo GL" Return 60 || fail "no fullscreen question"
id=$(wait_window "Lumivex by Tarnel" 30) || fail "no window after Yes"
geometry=$(window_size "$id")
root=$(window_size -root)
[ "$root" = "1024x768" ] || fail "the display mode changed to $root"
wait_swaps 10 60 || fail "no frames in the window"
# Without a window manager Wine draws the frame and title itself, inside an X window of
# the outer size: 800x600, the title bar at the top.
[ "$geometry" = "800x600" ] || fail "windowed outer size is $geometry"
shot windowed
if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then cp "$WORK/windowed.png" "$LUMIVEX_E2E_SHOTS/"; fi
escape_ends_show "after Yes"
echo "Yes: an ${geometry} window on a ${root} screen, exit 0"

# No.
: >"$WORK/show.err"
start_show
answer "Ruvo GL" n 60 || fail "no fullscreen question the second time"
answer "ERROR" Return 30 || fail "no closing message after No"
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after No"
grep -q "Program Will Now Close." "$WORK/show.err" || fail "not the closing message"
grep -q "wglSwapBuffers" "$WORK/show.err" && fail "frames were drawn after No"
echo "PASS: the question on 1024x768: Yes runs windowed, No closes with exit 0"
