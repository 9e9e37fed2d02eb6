#!/bin/bash
# The real show for ten minutes (or SECONDS) on its own Xvfb with the shipped data: the
# intro, then the gallery with keys pressed now and then. Resident memory after the first
# minute and at the end must differ by less than 1 MiB, and no GL error may be raised:
# the scene probe checks GL's error flags before every swap, and a debug build's own
# check reports on standard error ("lumivex: GL error ...").
#
# Usage: long_run.sh LUMIVEX SWAP_COUNTER SCENE_PROBE [SECONDS]
source "$(dirname "$0")/lib.sh" "$@"
SECONDS_TO_RUN=${4:-600}
[ "$SECONDS_TO_RUN" -ge 120 ] || fail "run at least 120 s: the first minute is the baseline"
export LUMIVEX_PROBE_GL_CHECK=1

start_x 800x600x16
make_run_folder
start_probed_show
boxes=$(answer_error_boxes)
[ "$boxes" -eq 0 ] || fail "$boxes error boxes with the shipped data"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"
started=$(date +%s)

KEYS=(Right Right Up Left 2 Down Down Left 3 Up Right 1)
k=0
samples=""
baseline=""
while :; do
  elapsed=$(($(date +%s) - started))
  [ "$elapsed" -ge "$SECONDS_TO_RUN" ] && break
  show_running || fail "the show ended by itself after $elapsed s"
  sleep 10
  elapsed=$(($(date +%s) - started))
  rss=$(rss_kib "$SHOW_PID")
  [ -n "$rss" ] || fail "cannot read the show's memory"
  if [ -z "$baseline" ] && [ "$elapsed" -ge 60 ]; then
    baseline=$rss
    baseline_at=$elapsed
  fi
  samples="$samples ${elapsed}s:${rss}"
  # The gallery comes at order 6 (46 s): keys from then on.
  if [ "$elapsed" -ge 50 ]; then
    press "${KEYS[k % ${#KEYS[@]}]}"
    k=$((k + 1))
  fi
done
final=$(rss_kib "$SHOW_PID")
frames=$(swaps)
press Escape
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code"
gl_probe=$(probe_count glerrors)
gl_own=$(grep -c '^lumivex: GL error' "$WORK/show.err")
growth=$((final - baseline))
echo "resident memory (KiB) every 10 s:$samples"
echo "long run: $SECONDS_TO_RUN s, $frames frames, scenes logo/tunnel/spheres/gallery" \
  "$(cut -d' ' -f2-5 "$PROBE_DIR/scenes"); RSS ${baseline} KiB at ${baseline_at} s," \
  "${final} KiB at the end (${growth} KiB); GL errors: $gl_probe seen before swaps, $gl_own" \
  "reported by the show"
[ "$(probe_count gallery)" -gt 0 ] || fail "the gallery was not reached"
[ "$gl_probe" -eq 0 ] || fail "GL error $(cut -d' ' -f7 "$PROBE_DIR/scenes") before a swap"
[ "$gl_own" -eq 0 ] || fail "the show reported GL errors"
[ "${growth#-}" -lt 1024 ] || fail "resident memory changed by $growth KiB after the first minute"
echo "PASS: $SECONDS_TO_RUN s, memory steady, no GL error"
