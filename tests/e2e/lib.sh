# Shared helpers of the end-to-end scripts: a private X server, the show started in a
# scratch copy of the data folder, windows found by name, and cleanup of everything
# started here on any exit.
#
# Usage from a script:  source lib.sh "$@"   (arguments: lumivex binary, swap counter)

set -u
LUMIVEX=${1:?usage: $0 path/to/lumivex path/to/libswap_counter.so}
SWAP_COUNTER=${2:-}
LUMIVEX=$(realpath "$LUMIVEX")
if [ -n "$SWAP_COUNTER" ]; then SWAP_COUNTER=$(realpath "$SWAP_COUNTER"); fi
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_DATA="$E2E_DIR/../../data"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

# The scratch folder, the processes started here and their cleanup, fail().
source "$E2E_DIR/session.sh" lumivex-e2e

# The show's pictures, one file name a line in load order, from the show's own table.
MAKE_PICTURES=${LUMIVEX_MAKE_PICTURES:-$(dirname "$LUMIVEX")/tools/make-pictures/make-pictures}
[ -x "$MAKE_PICTURES" ] || fail "no $MAKE_PICTURES to list the show's pictures (build make-pictures)"
show_pictures() { "$MAKE_PICTURES" --list | cut -d' ' -f1; }

skip_without_x() {
  local tool
  for tool in Xvfb xdotool xwininfo xprop import; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed; the end-to-end tests need" \
      "xvfb, xdotool, x11-utils and imagemagick (scripts/install-deps)."
  done
}

# start_x SCREEN (e.g. 800x600x16): a private Xvfb; sets DISPLAY. Skips without the X tools.
start_x() {
  skip_without_x
  start_xvfb "$1"
}

start_window_manager() {
  command -v openbox >/dev/null 2>&1 || skip "openbox is not installed (scripts/install-deps)"
  openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
  PIDS+=($!)
  sleep 1
}

# make_run_folder [pictures|nopictures]: a scratch working directory with a copy of the
# shipped data folder (so parallel runs never share a log file).
make_run_folder() {
  RUN="$WORK/run"
  mkdir -p "$RUN/data"
  cp "$REPO_DATA"/*.jpg "$REPO_DATA"/*.xm "$RUN/data/" 2>/dev/null
  rm -f "$RUN/data/VorlErrors.txt"
}

# start_show [setsid]: the real program in $RUN, its swaps counted into $WORK/swaps;
# "setsid" starts it in a process group of its own, as a desktop's launcher does.
start_show() {
  [ -n "${RUN:-}" ] || make_run_folder
  local launcher=()
  if [ "${1:-}" = setsid ]; then launcher=(setsid); fi
  (
    cd "$RUN" || exit 1
    if [ -n "$SWAP_COUNTER" ]; then export LD_PRELOAD="$SWAP_COUNTER"; fi
    export LUMIVEX_SWAP_LOG="$WORK/swaps"
    exec "${launcher[@]}" "$LUMIVEX"
  ) >"$WORK/show.out" 2>"$WORK/show.err" &
  SHOW_PID=$!
  PIDS+=("$SHOW_PID")
}

# window_ready ID: a window of the show takes keys as soon as it exists.
window_ready() { return 0; }

show_running() { kill -0 "$SHOW_PID" 2>/dev/null; }

# answer_error_boxes: closes every "Vorlen - ERROR" box the start-up shows (missing
# pictures); prints how many were answered.
answer_error_boxes() {
  local answered=0 id quiet=0
  while [ $quiet -lt 20 ] && show_running; do
    id=$(window_id "Vorlen - ERROR")
    if [ -n "$id" ]; then
      xdotool key --window "$id" Return
      answered=$((answered + 1))
      quiet=0
      sleep 0.2
    else
      quiet=$((quiet + 1))
      sleep 0.1
    fi
  done
  echo "$answered"
}

# swaps: the number of buffer swaps so far.
swaps() {
  if [ -f "$WORK/swaps" ]; then cut -d' ' -f1 "$WORK/swaps"; else echo 0; fi
}

# expected_log: the banner, then one report per picture missing from the run folder.
expected_log() {
  printf ' .:Vorlen Engine Errors File:.\n\n\n'
  local name
  while IFS= read -r name; do
    if [ ! -f "$RUN/data/$name" ]; then
      printf "qenLoadJPEGTexture -> Texture ' data\\\\%s ' Loading Error (file don't exist)   [0]\n" "$name"
    fi
  done < <(show_pictures)
}

missing_pictures() { expected_log | tail -n +4 | wc -l; }

# Windows, keys, frames and screenshots: shared with the Windows scripts.
source "$E2E_DIR/screen.sh"
