#!/bin/bash
# The real show under valgrind's memcheck on its own Xvfb for a number of frames (600 by
# default): the fast test module takes it through every intro scene into the gallery, a
# truncated picture takes the decoder through its error path, the report is answered,
# the gallery keys are pressed, and Escape ends it. Passes when memcheck reports no error
# and nothing definitely lost, apart from the graphics driver's own reports
# (tests/hardening/valgrind.supp, each entry explained there).
#
# Usage: valgrind_run.sh LUMIVEX SWAP_COUNTER SCENE_PROBE FAST_MODULE_WRITER [FRAMES]
#   LUMIVEX_VALGRIND_LOG=path keeps memcheck's full log.
source "$(dirname "$0")/lib.sh" "$@"
WRITER=$(realpath "${4:?fast module writer}")
FRAMES=${5:-600}
command -v valgrind >/dev/null || { echo "SKIPPED: valgrind is not installed" >&2; exit 77; }

start_x 800x600x16
make_run_folder
"$WRITER" "$RUN/data/lumivex.xm" || fail "no fast module"
truncate -s 5000 "$RUN/data/kavra#3.jpg"
VGLOG="$WORK/memcheck.log"
# One llvmpipe thread: valgrind runs threads one at a time anyway.
export LP_NUM_THREADS=0
# No session bus here: without an address libdbus forks its autolaunch helper and keeps
# the buffer it read from it; a bus that is not there fails at once and cleanly.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-session-bus"
SHOW_WRAPPER=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite
  --errors-for-leak-kinds=definite --num-callers=30 --fair-sched=yes --child-silent-after-fork=yes --keep-debuginfo=yes
  --suppressions="$HARDENING_DIR/valgrind.supp" --gen-suppressions=all --log-file="$VGLOG")
started=$(date +%s)
start_probed_show
boxes=$(answer_boxes_slowly 1 300)
[ "$boxes" -eq 1 ] || fail "$boxes boxes answered, 1 expected"
wait_window "Lumivex by Tarnel" 120 >/dev/null || fail "no show window"
half=$((FRAMES / 2))
wait_swaps "$half" 3600 || fail "fewer than $half frames"
# Turn and walk in the gallery, switch the picture sets.
for key in Right Up 2 Left Down 3 1; do hold_key "$key"; done
wait_swaps "$FRAMES" 3600 || fail "fewer than $FRAMES frames"
hold_key Escape 1 &
wait_exit 600
code=$?
seconds=$(($(date +%s) - started))
if [ -n "${LUMIVEX_VALGRIND_LOG:-}" ]; then cp "$VGLOG" "$LUMIVEX_VALGRIND_LOG"; fi
[ $code -eq 0 ] || { tail -n 40 "$VGLOG" >&2; fail "exit code $code"; }

errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$VGLOG" | tail -n 1)
invalid=$(grep -c 'Invalid \(read\|write\|free\)' "$VGLOG")
definite=$(sed -n 's/.*definitely lost: \([0-9,]*\) bytes.*/\1/p' "$VGLOG" | tail -n 1 | tr -d ,)
suppressed=$(sed -n 's/.*suppressed: \([0-9,]*\) .*/\1/p' "$VGLOG" | tail -n 1)
echo "memcheck: $(swaps) frames in $seconds s; $errors errors, $invalid invalid reads/writes/frees," \
  "${definite:-0} bytes definitely lost (driver's suppressed: ${suppressed:-0} errors);" \
  "scenes logo/tunnel/spheres/gallery $(cut -d' ' -f2-5 "$PROBE_DIR/scenes")"
if [ "${errors:-1}" -ne 0 ] || [ "$invalid" -ne 0 ] || [ "${definite:-0}" -ne 0 ]; then
  grep -v '^==[0-9]*== *$' "$VGLOG" | grep -A40 'Invalid\|definitely lost in\|uninitialised\|Mismatched' | head -n 200 >&2
  fail "memcheck found errors"
fi
[ "$(probe_count gallery)" -gt 0 ] || fail "the gallery was not reached"
echo "PASS: memcheck clean over $FRAMES frames"
