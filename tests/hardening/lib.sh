# Helpers of the hardening scripts, on top of the end-to-end helpers (tests/e2e/lib.sh):
# the show started with the scene probe preloaded and, where asked, under a wrapper
# command (valgrind, another user), and the probe's counts read back.
#
# Usage from a script:  source lib.sh LUMIVEX SWAP_COUNTER SCENE_PROBE [more...]

HARDENING_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SCENE_PROBE=${3:?usage: $0 lumivex libswap_counter.so libscene_probe.so ...}
SCENE_PROBE=$(realpath "$SCENE_PROBE")
# shellcheck source=../e2e/lib.sh
source "$HARDENING_DIR/../e2e/lib.sh" "$1" "$2"
# Mesa would otherwise keep a shader cache under $HOME, which a run as another user has not.
export MESA_SHADER_CACHE_DISABLE=true
SHOW_WRAPPER=()  # e.g. (valgrind --tool=memcheck ...): the command the show runs under
PROBE_DIR="$WORK/probe"
mkdir -p "$PROBE_DIR"

# start_probed_show: as start_show, with the swap counter and the scene probe preloaded.
start_probed_show() {
  [ -n "${RUN:-}" ] || make_run_folder
  (
    cd "$RUN" || exit 1
    export LD_PRELOAD="$SWAP_COUNTER $SCENE_PROBE"
    export LUMIVEX_SWAP_LOG="$PROBE_DIR/swaps"
    export LUMIVEX_PROBE_LOG="$PROBE_DIR/scenes"
    exec "${SHOW_WRAPPER[@]}" "$LUMIVEX"
  ) >"$WORK/show.out" 2>"$WORK/show.err" &
  SHOW_PID=$!
  PIDS+=("$SHOW_PID")
}

# The probe's counts: probe_count frames|logo|tunnel|spheres|gallery|glerrors
probe_count() {
  local field
  case "$1" in
    frames) field=1 ;; logo) field=2 ;; tunnel) field=3 ;; spheres) field=4 ;;
    gallery) field=5 ;; glerrors) field=6 ;; *) return 1 ;;
  esac
  if [ -f "$PROBE_DIR/scenes" ]; then cut -d' ' -f"$field" "$PROBE_DIR/scenes"; else echo 0; fi
}

# wait_scene KIND N [seconds]: until the probe has seen N frames of that scene.
wait_scene() {
  local i tries=$((${3:-60} * 10))
  for ((i = 0; i < tries; i++)); do
    [ "$(probe_count "$1")" -ge "$2" ] && return 0
    show_running || return 1
    sleep 0.1
  done
  return 1
}

# The swap counter writes its own file; the e2e helpers read it from $WORK/swaps.
swaps() {
  if [ -f "$PROBE_DIR/swaps" ]; then cut -d' ' -f1 "$PROBE_DIR/swaps"; else echo 0; fi
}

# rss_kib PID: resident memory of a process in KiB.
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

# answer_boxes_slowly N SECONDS: answers "Vorlen - ERROR" boxes until N are answered or
# SECONDS have passed (for a show under valgrind, whose start-up takes a while); prints
# how many were answered.
answer_boxes_slowly() {
  local answered=0 id i tries=$(($2 * 10))
  for ((i = 0; i < tries && answered < $1; i++)); do
    show_running || break
    id=$(window_id "Vorlen - ERROR")
    if [ -n "$id" ]; then
      xdotool key --window "$id" Return
      answered=$((answered + 1))
      sleep 0.5
    else
      sleep 0.1
    fi
  done
  echo "$answered"
}

# hold_key KEY [FRAMES]: holds a key down until the show has drawn FRAMES more frames (2
# by default), for a show too slow for press's third of a second (it polls held keys
# once a frame, and a key released before the next frame passes unseen).
hold_key() {
  local target=$(($(swaps) + ${2:-2}))
  xdotool keydown "$1"
  wait_swaps "$target" 600
  xdotool keyup "$1"
}
