#!/usr/bin/env bash
# The live sync measurement of the Windows build under Wine: sync_test.sh's runs and rule
# with lumivex.exe under wine64, its waveOut playing through Wine into the private null
# sink. A measurement, not part of `make test`: under Wine the position waveOutGetPosition
# gives runs ahead of what the sink plays, and Wine's sound stutters on a loaded machine.
# The scene is told by the colour at the centre of each frame: a frame after the second
# click that is not the logo's colour is the tunnel.
#
# Usage: wine_sync.sh LUMIVEX_EXE WINE_SYNC_PROBE SOUND_RECORDER SYNC_MODULE
# (the last three from the Linux build: tests/sync/). LUMIVEX_SYNC_RUNS: runs (5).
source "$(dirname "$0")/../windows/lib.sh" "$1"
PROBE=$(realpath "$2")
RECORDER=$(realpath "$3")
MAKE_MODULE=$(realpath "$4")
RUNS=${LUMIVEX_SYNC_RUNS:-5}
TOLERANCE_MS=3
ORDER_SECONDS=0.96
source "$(dirname "$0")/judge.sh"

start_x 800x600x24
start_sound
make_prefix
make_run_folder
"$MAKE_MODULE" "$RUN/data/lumivex.xm" || fail "cannot write the test module"

failed=0
for run in $(seq 1 "$RUNS"); do
  "$RECORDER" lumivex_null.monitor 3 60 >"$WORK/note.$run" 2>"$WORK/recorder.err" &
  recorder=$!
  sleep 0.2
  (
    cd "$RUN" || exit 1
    export WINEDEBUG=-all LD_PRELOAD="$PROBE" LUMIVEX_SYNC_LOG="$WORK/frames.$run"
    exec "$WINE" ./lumivex.exe
  ) >"$WORK/show.out" 2>"$WORK/show.err" &
  SHOW_PID=$!
  PIDS+=("$SHOW_PID")
  wait "$recorder" || fail "run $run: the recorder did not hear the clicks and the note: $(cat "$WORK/recorder.err")"
  sleep 0.3
  "$WINESERVER" -k
  wait "$SHOW_PID" 2>/dev/null
  read -r click0 click1 note < <(tr '\n' ' ' <"$WORK/note.$run")
  awk -v click1="$click1" '
    { line[NR] = $0; swapped[NR] = $2; colour[NR] = $3; if ($2 < click1 + 0.3) logo = $3 }
    END { for (i = 1; i <= NR; ++i) print line[i] " " (swapped[i] > click1 && colour[i] != logo) }' \
    "$WORK/frames.$run" | awk '{ print $1, $2, $4 }' >"$WORK/swaps.$run"
  judge "$run" "$click0" "$click1" "$note" || failed=1
done
[ $failed -eq 0 ] && echo "PASS: $RUNS runs under Wine cut on the heard note within $TOLERANCE_MS ms"
exit 0
