#!/usr/bin/env bash
# The live sync test: does the intro cut to the tunnel on the note that starts order 2, as
# it is heard? The real show plays a module that clicks at the start of orders 0 and 1 and
# sounds a note at order 2, silent between, into a private PulseAudio null sink; the
# recorder times the three from the sink's monitor and the probe times every frame, both on
# CLOCK_MONOTONIC.
#
# The rule, in every run, holds at any frame rate: the first tunnel frame is swapped after
# the note (never early), and the last logo frame was begun before it (its order was asked
# before the note: no frame that could have shown the tunnel shows the logo). So the cut
# comes at most one frame after the note. 3 ms are allowed for the measurement (1 ms
# chunks, the null sink rendering 2 ms ahead, and their scheduling).
#
# A last run kills the sound server after the second click: the show must go on and cut to
# the tunnel on the module's clock all the same, 0.96 s after that click, kept on the wall
# clock from then on: no tunnel frame begun more than a frame at 60 Hz early, no logo frame
# begun more than 3 late.
#
# Usage: sync_test.sh LUMIVEX SYNC_PROBE SOUND_RECORDER SYNC_MODULE
# LUMIVEX_SYNC_RUNS sets the number of runs (5); LUMIVEX_SYNC_DRIVER the SDL_AUDIODRIVER
# the show is given (pulseaudio).
source "$(dirname "$0")/../e2e/lib.sh" "$1" ""
PROBE=$(realpath "$2")
RECORDER=$(realpath "$3")
MAKE_MODULE=$(realpath "$4")
source "$(dirname "$0")/judge.sh"
RUNS=${LUMIVEX_SYNC_RUNS:-5}
TOLERANCE_MS=3
ORDER_SECONDS=0.96 # 16 rows of 60 ms
LOST_EARLY_MS=17
LOST_LATE_MS=50

command -v pulseaudio >/dev/null 2>&1 || skip "pulseaudio is not installed (scripts/install-deps)"

start_x 800x600x24
start_sound 44100
make_run_folder
"$MAKE_MODULE" "$RUN/data/lumivex.xm" || fail "cannot write the test module"
export SDL_AUDIODRIVER=${LUMIVEX_SYNC_DRIVER:-pulseaudio}

# run_show N: the show, its frames noted in $WORK/swaps.N, until stop_show.
run_show() {
  (
    cd "$RUN" || exit 1
    export LD_PRELOAD="$PROBE" LUMIVEX_SYNC_LOG="$WORK/swaps.$1"
    exec "$LUMIVEX"
  ) >"$WORK/show.out" 2>"$WORK/show.err" &
  SHOW_PID=$!
  PIDS+=("$SHOW_PID")
}

stop_show() {
  kill "$SHOW_PID" 2>/dev/null
  wait "$SHOW_PID" 2>/dev/null
}

failed=0
for run in $(seq 1 "$RUNS"); do
  "$RECORDER" lumivex_null.monitor 3 30 >"$WORK/note.$run" 2>"$WORK/recorder.err" &
  recorder=$!
  sleep 0.2
  run_show "$run"
  wait "$recorder"
  status=$?
  stop_show
  [ $status -eq 0 ] || fail "run $run: the recorder did not hear the clicks and the note (status $status): $(cat "$WORK/recorder.err")"
  judge "$run" $(cat "$WORK/note.$run") || failed=1
done

# The server goes away half a second after the second click (the recorder tells it then):
# the cut comes on the module's clock all the same.
"$RECORDER" lumivex_null.monitor 3 30 >"$WORK/note.lost" 2>"$WORK/recorder.err" &
recorder=$!
sleep 0.2
run_show lost
for i in $(seq 1 750); do [ "$(wc -l <"$WORK/note.lost")" -ge 2 ] && break; sleep 0.02; done
[ "$(wc -l <"$WORK/note.lost")" -ge 2 ] || fail "the recorder did not hear the clicks: $(cat "$WORK/recorder.err")"
kill "$PULSE_PID"
wait "$recorder"
sleep 2
show_running || fail "the show ended when the sound server went away"
stop_show
awk -v click="$(sed -n 2p "$WORK/note.lost")" -v order="$ORDER_SECONDS" -v late="$LOST_LATE_MS" -v early="$LOST_EARLY_MS" '
  { due = (click + order) * 1000 }
  $3 == 1 && !seen { seen = 1; first = $1 * 1000 - due }
  $3 == 0 && !seen { last = $1 * 1000 - due }
  END {
    if (!seen) { print "server gone: the intro never cut to the tunnel"; exit 1 }
    printf "server gone after the second click: last logo frame begun %+.1f ms, first tunnel frame begun %+.1f ms from the note due\n", last, first
    if (first < -early || last > late) { printf "  FAILED: the cut is more than %s ms early or %s ms late\n", early, late; exit 1 }
  }' "$WORK/swaps.lost" || failed=1

[ $failed -eq 0 ] || fail "the picture did not cut on the heard note (figures above)"
echo "PASS: $RUNS runs cut on the heard note within $TOLERANCE_MS ms; the show kept time without its sound server"
