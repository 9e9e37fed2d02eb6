# A real X server that really switches display modes: Xorg with the dummy video driver,
# whose display offers 1024x768, 800x600 and 640x480 and starts at 1024x768. Sourced after
# lib.sh by the scripts that check what the show does to the desktop's mode.

# start_xorg [windowed]: a private Xorg; sets DISPLAY. "windowed" gives a display with
# 1024x768 alone (no 800x600 at any rate), where the show must ask for a window.
# Skips where Xorg or its dummy driver is missing, or the server cannot be started here
# (where CI is set, each of these fails instead: see skip in session.sh).
start_xorg() {
  local tool
  for tool in Xorg xrandr; do
    command -v $tool >/dev/null 2>&1 || skip "$tool is not installed (xserver-xorg-core, x11-xserver-utils)"
  done
  [ -n "$(find /usr/lib/xorg/modules/drivers -name 'dummy_drv.so' 2>/dev/null)" ] ||
    skip "Xorg's dummy video driver is not installed (xserver-xorg-video-dummy)"
  write_xorg_config "${1:-}" >"$WORK/xorg.conf"
  local fifo="$WORK/xorg.displayfd" i
  : >"$fifo"
  Xorg -displayfd 3 -noreset -nolisten tcp -config "$WORK/xorg.conf" \
    -logfile "$WORK/xorg.log" 3>"$fifo" >"$WORK/xorg.out" 2>&1 &
  XSERVER_PID=$!
  PIDS+=("$XSERVER_PID")
  for i in $(seq 1 100); do
    [ -s "$fifo" ] && break
    kill -0 "$XSERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$fifo" ] || skip "Xorg did not start here: $(tail -n 5 "$WORK/xorg.out")"
  export DISPLAY=":$(tr -d '[:space:]' <"$fifo")"
  desktop_mode
}

# desktop_mode: puts the display back at 1024x768, the desktop the show starts from.
desktop_mode() {
  xrandr -s 1024x768 || fail "xrandr cannot set 1024x768"
  [ "$(current_mode)" = 1024x768 ] || fail "the display is at $(current_mode), not 1024x768"
}

# current_mode: the display's size as xrandr reports it, e.g. "1024x768".
current_mode() {
  xrandr 2>/dev/null | awk '/^Screen 0:/ { for (i = 1; i < NF; i++) if ($i == "current") { print $(i + 1) "x" $(i + 3); exit } }' | tr -d ,
}

# wait_mode SIZE SECONDS: until the display is at SIZE; prints the tenths of a second it
# took. Fails after SECONDS.
wait_mode() {
  local i tries=$(($2 * 10))
  for ((i = 0; i <= tries; i++)); do
    if [ "$(current_mode)" = "$1" ]; then
      echo "$i"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

write_xorg_config() {
  local modelines modes sync refresh
  if [ "$1" = windowed ]; then
    # Only 1024x768 at 60 Hz fits these ranges: none of Xorg's built-in 800x600 modes does.
    sync="48.0 - 48.6"
    refresh="59.0 - 61.0"
    modelines='  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync'
    modes='"1024x768"'
  else
    sync="5.0 - 1000.0"
    refresh="5.0 - 200.0"
    modelines='  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
  Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
  Modeline "640x480" 25.175 640 656 752 800 480 490 492 525 -hsync -vsync'
    modes='"1024x768" "800x600" "640x480"'
  fi
  cat <<CONFIG
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "mon"
  HorizSync $sync
  VertRefresh $refresh
$modelines
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "mon"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes $modes
  EndSubSection
EndSection
CONFIG
}
