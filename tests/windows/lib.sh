# Shared helpers of the Windows end-to-end scripts: lumivex.exe under wine64 on a private
# Xvfb, a private wine prefix, a PulseAudio null sink as the sound device, the program
# started in a scratch copy of the data folder, and cleanup of everything started here.
#
# Usage from a script:  source lib.sh "$@"   (argument: path to lumivex.exe)

set -u
EXE=${1:?usage: $0 path/to/lumivex.exe}
EXE=$(realpath "$EXE")
WIN_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_DATA="$WIN_DIR/../../data"

# The scratch folder, the processes started here and their cleanup, fail().
source "$WIN_DIR/../e2e/session.sh" lumivex-win
export WINEPREFIX="$WORK/wine"
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
export WINEDEBUG=-all
unset WINELOADER

find_wine() {
  local candidate
  for candidate in "${WINE64:-}" /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

WINE=$(find_wine) || skip "wine64 is not installed (scripts/install-windows-deps)"
WINESERVER="$(dirname "$WINE")/wineserver"
for tool in Xvfb xdotool xwininfo import convert pulseaudio; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/install-windows-deps)"
done

# On exit, wine's server goes first, taking the prefix's processes with it.
stop_servers() {
  if [ -n "${WINESERVER:-}" ] && [ -d "$WINEPREFIX" ]; then "$WINESERVER" -k >/dev/null 2>&1; fi
}

# Wine's "fixme" notes are left out of a failure's report.
show_errors() { grep -v '^[0-9a-f]*:fixme:'; }

# no_sound: nothing wine could play into.
no_sound() {
  export PULSE_SERVER="unix:$WORK/no-such-server"
  export AUDIODEV=/dev/null-no-such-device
}

# make_prefix: a fresh wine prefix; without a window manager, unmanaged windows close at
# once instead of after a two-second wait.
make_prefix() {
  "$WINE" wineboot -i >"$WORK/wineboot.log" 2>&1 || fail "wineboot: $(tail -n 5 "$WORK/wineboot.log")"
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$WINESERVER" -w
}

# make_run_folder: a scratch working directory with the program and a copy of the
# shipped data folder (so parallel runs never share a log file).
make_run_folder() {
  RUN="$WORK/run"
  mkdir -p "$RUN/data"
  cp "$EXE" "$RUN/lumivex.exe"
  cp "$REPO_DATA"/*.jpg "$REPO_DATA"/*.xm "$RUN/data/" 2>/dev/null
  rm -f "$RUN/data/VorlErrors.txt"
}

# start_show: lumivex.exe in $RUN. Buffer swaps are traced by wine's wgl channel into
# the show's standard error, so frames can be counted.
start_show() {
  [ -n "${RUN:-}" ] || make_run_folder
  (
    cd "$RUN" || exit 1
    export WINEDEBUG="-all,trace+wgl"
    exec "$WINE" ./lumivex.exe
  ) >"$WORK/show.out" 2>"$WORK/show.err" &
  SHOW_PID=$!
  PIDS+=("$SHOW_PID")
}

show_running() { kill -0 "$SHOW_PID" 2>/dev/null; }

# window_ready ID: wine makes its windows before it maps them; keys wait for the map.
window_ready() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }

# answer BOX-CAPTION KEY [seconds]: waits for the box and sends it the key until it
# closes (a box mapped a moment ago may not take keys yet).
answer() {
  local id i
  id=$(wait_window "$1" "${3:-30}") || return 1
  for i in 1 2 3 4 5; do
    sleep 0.5
    send_key "$id" "$2"
    sleep 0.5
    xwininfo -id "$id" >/dev/null 2>&1 || return 0
  done
  return 1
}

# send_key WINDOW KEY: a key press sent to one window. A box that closes on the press is
# gone before the release, which X then reports as an error: that is expected.
send_key() { xdotool key --window "$1" "$2" 2>/dev/null || true; }

# swaps: the buffer swaps so far.
swaps() {
  local n
  n=$(grep -c 'wglSwapBuffers' "$WORK/show.err" 2>/dev/null)
  echo "${n:-0}"
}

# The X server, windows, keys, frames and screenshots: shared with the Linux scripts.
source "$WIN_DIR/../e2e/screen.sh"

# start_x SCREEN: a private Xvfb; sets DISPLAY.
start_x() { start_xvfb "$1"; }

# log_text: the error log with the CR LF line ends of a Windows text file made plain.
log_text() { tr -d '\r' <"$RUN/data/VorlErrors.txt"; }
