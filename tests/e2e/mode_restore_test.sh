#!/bin/bash
# On a display that really switches modes (Xorg, dummy driver, desktop at 1024x768) the
# show runs at 800x600, and however it ends the desktop gets its 1024x768 back within 2 s:
# a crash (SIGSEGV), an abort (SIGABRT) and SIGKILL as well as Escape, a close request and
# SIGTERM. Each run has a watcher process beside it while the mode is changed, and none is
# left once the show has gone.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/xorg.sh"

start_xorg
make_run_folder
results=()
for end in SEGV ABRT KILL Escape close TERM; do
  desktop_mode
  rm -f "$WORK/swaps"
  if [ $end = close ]; then start_window_manager; fi
  start_show
  [ "$(answer_error_boxes)" -eq 0 ] || fail "error boxes with the shipped data"
  id=$(wait_window "Lumivex by Tarnel" 30) || fail "no show window"
  wait_swaps 5 60 || fail "no frames shown"
  [ "$(current_mode)" = 800x600 ] || fail "the show runs at $(current_mode), not 800x600"
  watcher=$(pgrep -P "$SHOW_PID")
  [ "$(echo "$watcher" | wc -w)" -eq 1 ] || fail "not one watcher beside the show: '$watcher'"
  case $end in
    Escape) xdotool key Escape ;;
    close)
      xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
      xdotool key alt+F4
      ;;
    *) kill -$end "$SHOW_PID" ;;
  esac
  tenths=$(wait_mode 1024x768 2) || fail "after $end the display stays at $(current_mode)"
  wait_exit 10
  code=$?
  [ $code -ne 124 ] || fail "the show did not end after $end"
  case $end in
    SEGV | ABRT | KILL) ;;
    *) [ $code -eq 0 ] || fail "exit code $code after $end" ;;
  esac
  for _ in $(seq 1 20); do
    kill -0 "$watcher" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$watcher" 2>/dev/null && fail "the watcher is still there after $end"
  results+=("$end: 1024x768 after $(awk -v t="$tenths" 'BEGIN { printf "%.1f", t / 10 }') s (exit $code)")
  if [ $end = close ]; then
    kill "${PIDS[-1]}" 2>/dev/null  # the window manager, started just before the show
    sleep 0.5
  fi
done
printf '%s\n' "${results[@]}"
echo "PASS: the desktop mode comes back after SIGSEGV, SIGABRT, SIGKILL, Escape, close and SIGTERM"
