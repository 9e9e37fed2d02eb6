#!/bin/bash
# The real show for ten minutes (or SECONDS) on its own Xvfb: the intro (with the fast
# test module, two seconds), then the gallery, toured again and again: a full turn at the
# middle, the front and the back of the room, and each picture set. Resident memory after
# the first minute (or the first tour, if that takes longer: the driver's buffers grow to
# the largest view they have drawn) and at the end must differ by less than 1 MiB, and no
# GL error may be raised: the scene probe checks GL's error flags before every swap, and
# a debug build's own check reports on standard error ("lumivex: GL error ...").
#
# Usage: long_run.sh LUMIVEX SWAP_COUNTER SCENE_PROBE FAST_MODULE_WRITER [SECONDS]
source "$(dirname "$0")/lib.sh" "$@"
WRITER=$(realpath "${4:?fast module writer}")
SECONDS_TO_RUN=${5:-600}
[ "$SECONDS_TO_RUN" -ge 120 ] || fail "run at least 120 s: the first minute is the baseline"
export LUMIVEX_PROBE_GL_CHECK=1

start_x 800x600x16
make_run_folder
"$WRITER" "$RUN/data/lumivex.xm" || fail "no fast module"
start_probed_show
boxes=$(answer_error_boxes)
[ "$boxes" -eq 0 ] || fail "$boxes error boxes with the shipped data"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"
started=$(date +%s)

wait_scene gallery 1 60 || fail "the gallery was not reached"

# One tour of the gallery: 450 frames of 0.8 degrees make a full turn; 0.1 a frame walks
# from the middle to the front limit (1.5) in 15 frames and on to the back (-1.8) in 33.
tour() {
  hold_key Right 450
  hold_key Up 20
  hold_key Right 450
  hold_key Down 40
  hold_key Right 450
  hold_key Up 18
  hold_key 2 2
  hold_key Left 225
  hold_key 3 2
  hold_key Left 225
  hold_key 1 2
}

samples=""
baseline=""
tours=0
while :; do
  elapsed=$(($(date +%s) - started))
  [ "$elapsed" -ge "$SECONDS_TO_RUN" ] && break
  show_running || fail "the show ended by itself after $elapsed s"
  tour
  tours=$((tours + 1))
  elapsed=$(($(date +%s) - started))
  rss=$(rss_kib "$SHOW_PID")
  [ -n "$rss" ] || fail "cannot read the show's memory"
  samples="$samples ${elapsed}s:${rss}"
  if [ -z "$baseline" ] && [ "$elapsed" -ge 60 ]; then
    baseline=$rss
    baseline_at=$elapsed
  fi
done
final=$(rss_kib "$SHOW_PID")
frames=$(swaps)
escape_ends_show
gl_probe=$(probe_count glerrors)
gl_own=$(grep -c '^lumivex: GL error' "$WORK/show.err")
growth=$((final - baseline))
echo "resident memory (KiB) after each tour:$samples"
echo "long run: $SECONDS_TO_RUN s, $tours tours, $frames frames, scenes logo/tunnel/spheres/gallery" \
  "$(cut -d' ' -f2-5 "$PROBE_DIR/scenes"); RSS ${baseline} KiB at ${baseline_at} s," \
  "${final} KiB at the end (${growth} KiB); GL errors: $gl_probe seen before swaps, $gl_own" \
  "reported by the show"
[ "$(probe_count gallery)" -gt 0 ] || fail "the gallery was not reached"
[ "$gl_probe" -eq 0 ] || fail "GL error $(cut -d' ' -f7 "$PROBE_DIR/scenes") before a swap"
[ "$gl_own" -eq 0 ] || fail "the show reported GL errors"
[ "${growth#-}" -lt 1024 ] || fail "resident memory changed by $growth KiB after the first minute"
echo "PASS: $SECONDS_TO_RUN s, memory steady, no GL error"
