# What every end-to-end script's run needs, Linux or Windows: a scratch folder ($WORK),
# the processes it starts ($PIDS), their cleanup on any exit, and fail(), which ends the
# script with the tail of the show's standard error. Sourced first by tests/e2e/lib.sh and
# tests/windows/lib.sh.
#
# Usage:  source session.sh NAME   (the scratch folder is ${TMPDIR:-/tmp}/NAME-XXXXXX)
# The including script may define stop_servers (run first on exit, e.g. to stop wine's
# server) and show_errors (a filter for the show's standard error in fail's report).
# skip() ends a script that cannot run here.

PIDS=()
WORK=$(mktemp -d "${TMPDIR:-/tmp}/${1:?usage: source session.sh NAME}-XXXXXX")

cleanup() {
  local pid
  if declare -F stop_servers >/dev/null; then stop_servers; fi
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  sleep 0.2
  for pid in "${PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

# skip WHY: exit 77 (CTest's skip) with the reason where nobody can miss it. Where CI is
# set, the machine was set up by scripts/install-*-deps with every tool and as root, so
# whatever stops a test there is a fault: the same reason fails the test.
skip() {
  local rule=************************************************************
  if [ -n "${CI:-}" ]; then
    printf '%s\nFAIL: %s\n(a skip, but CI=%s: CI has every tool, so this fails)\n%s\n' "$rule" "$*" "$CI" "$rule" >&2
    exit 1
  fi
  printf '%s\nSKIPPED: %s\n%s\n' "$rule" "$*" "$rule" >&2
  exit 77
}

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$WORK/show.err" ]; then
    echo "--- the show's standard error:" >&2
    if declare -F show_errors >/dev/null; then show_errors; else cat; fi <"$WORK/show.err" |
      tail -n 30 >&2
  fi
  exit 1
}

# start_sound [RATE]: a PulseAudio server of our own whose only sink consumes audio in real
# time (at RATE frames a second where given); its clients, the show, wine's winepulse and
# the recorder, find it through PULSE_SERVER. PULSE_PID is the server.
start_sound() {
  mkdir -p "$WORK/pulse"
  export XDG_RUNTIME_DIR="$WORK/pulse" PULSE_RUNTIME_PATH="$WORK/pulse"
  export PULSE_SERVER="unix:$WORK/pulse/native"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$WORK/pulse/native" \
    --load="module-null-sink sink_name=lumivex_null${1:+ rate=$1}" >"$WORK/pulse.log" 2>&1 &
  PULSE_PID=$!
  PIDS+=("$PULSE_PID")
  local i
  for i in $(seq 1 50); do
    [ -S "$WORK/pulse/native" ] && return 0
    sleep 0.1
  done
  fail "PulseAudio did not start: $(tail -n 5 "$WORK/pulse.log")"
}
