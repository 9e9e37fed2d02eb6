# What the Linux and Windows end-to-end scripts share: windows found by name, keys pressed
# and held, frames and the exit waited for, screenshots compared and measured. Sourced by
# tests/e2e/lib.sh and tests/windows/lib.sh, which provide $WORK, $SHOW_PID, fail(),
# show_running(), window_ready() and swaps().

# start_xvfb SCREEN (e.g. 800x600x16): a private Xvfb, its display number chosen by the
# server itself so that scripts can run in parallel; sets DISPLAY.
start_xvfb() {
  local fifo="$WORK/displayfd" i
  : >"$fifo"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$fifo" >"$WORK/xvfb.log" 2>&1 &
  XSERVER_PID=$!
  PIDS+=("$XSERVER_PID")
  for i in $(seq 1 100); do
    if [ -s "$fifo" ]; then break; fi
    sleep 0.1
  done
  [ -s "$fifo" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
  export DISPLAY=":$(tr -d '[:space:]' <"$fifo")"
}

# window_size ID (or -root): "WIDTHxHEIGHT".
window_size() {
  if [ "$1" = -root ]; then xwininfo -root; else xwininfo -id "$1"; fi |
    awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'
}

# expect_fullscreen ID: the window covers an 800 x 600 screen from 0, 0 (without a window
# manager, a fullscreen window is simply the whole screen).
expect_fullscreen() {
  local geometry position
  geometry=$(window_size "$1")
  [ "$geometry" = "800x600" ] || fail "window is $geometry"
  position=$(xwininfo -id "$1" | awk '/Absolute upper-left X:/{x=$4} /Absolute upper-left Y:/{y=$4} END{print x "," y}')
  [ "$position" = "0,0" ] || fail "window at $position"
}

# shot NAME: the whole screen into $WORK/NAME.png.
shot() { import -window root "$WORK/$1.png" || fail "no screenshot"; }

# difference GEOMETRY A B: how much a region (WxH+X+Y) of two screenshots differs (mean
# absolute error, 0..1).
difference() {
  compare -metric MAE "$WORK/$2.png[$1]" "$WORK/$3.png[$1]" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}

# brightness GEOMETRY A: the mean grey level of a region (0..1).
brightness() { convert "$WORK/$2.png[$1]" -colorspace gray -format '%[fx:mean]' info:; }

# check EXPRESSION NAME=VALUE...: an awk condition on the figures given. Each must be a
# number: a tool's message in place of a figure (compare: unable to open ...) fails the
# script, since awk would compare it as a string and might well say yes.
check() {
  local condition=$1 assignment
  local arguments=()
  shift
  for assignment in "$@"; do
    [[ ${assignment#*=} =~ ^[-+]?([0-9]+[.]?[0-9]*|[.][0-9]+)([eE][-+]?[0-9]+)?$ ]] ||
      fail "not a number for $condition: ${assignment%%=*}=\"${assignment#*=}\""
    arguments+=(-v "$assignment")
  done
  awk "${arguments[@]}" "BEGIN { exit !($condition) }" </dev/null
}

# hold KEY SECONDS: the key held down that long.
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

# window_id NAME: the id of the first top-level window with that exact name, or nothing.
window_id() {
  xwininfo -root -tree 2>/dev/null |
    awk -v name="\"$1\":" '$1 ~ /^0x/ && index($0, name) { print $1; exit }' | head -n 1
}

# wait_window NAME [seconds]: prints the id once a window of that name is ready to take
# keys, as window_ready ID (the including script's) says.
wait_window() {
  local i id tries=$((${2:-30} * 10))
  for ((i = 0; i < tries; i++)); do
    id=$(window_id "$1")
    if [ -n "$id" ] && window_ready "$id"; then
      echo "$id"
      return 0
    fi
    show_running || return 1
    sleep 0.1
  done
  return 1
}

# press KEY: held for a third of a second, over several frames (check_gallery_taps sends
# taps).
press() {
  xdotool keydown "$1"
  sleep 0.3
  xdotool keyup "$1"
}

# wait_swaps N [seconds]
wait_swaps() {
  local i tries=$((${2:-60} * 10))
  for ((i = 0; i < tries; i++)); do
    [ "$(swaps)" -ge "$1" ] && return 0
    show_running || return 1
    sleep 0.1
  done
  return 1
}

# wait_exit [seconds]: the show's exit code (124 when it did not end in time).
wait_exit() {
  local i tries=$((${1:-30} * 10))
  for ((i = 0; i < tries; i++)); do
    if ! show_running; then
      wait "$SHOW_PID"
      return $?
    fi
    sleep 0.1
  done
  return 124
}

# escape_ends_show [WHAT]: Escape pressed, and the show ends within 30 s with exit code 0;
# otherwise the script fails (WHAT, when given, starts the message).
escape_ends_show() {
  local code
  press Escape
  wait_exit 30
  code=$?
  [ $code -eq 0 ] || fail "${1:+$1: }exit code $code after Escape"
}

# The gallery faces the back wall, whose credits picture stands still where every intro
# scene moves; a picture hangs on each side wall. Regions of an 800 x 600 screen.
GALLERY_BACK=240x240+280+180
GALLERY_LEFT=50x250+5+180
GALLERY_RIGHT=80x200+710+200

# wait_gallery STARTED [seconds]: until the gallery stands (the music reaches order 6 at
# 46 s), counting from the show's start time STARTED; leaves the screenshot "gallery1".
wait_gallery() {
  local started=$1 limit=${2:-120}
  while [ $(($(date +%s) - started)) -lt "$limit" ]; do
    show_running || fail "the show ended during the intro"
    if [ $(($(date +%s) - started)) -ge 44 ]; then
      shot gallery1
      sleep 0.3
      shot still
      [ "$(difference $GALLERY_BACK gallery1 still)" = 0 ] && return 0
    fi
    sleep 1
  done
  fail "no gallery within $limit s"
}

# check_gallery_keys: keys 3, 2 and 1 change the pictures on the side walls, Right turns
# the room and Up walks towards the back wall (screenshots gallery1..3, turned, moved).
check_gallery_keys() {
  press 3 # only the back-wall picture: the side walls go dark
  sleep 0.5
  shot gallery3
  press 2
  sleep 0.5
  shot gallery2
  press 1
  sleep 0.5
  shot gallery1again
  local turned moved
  check_sets "key 1" "key 2" "key 3"
  hold Right 1
  sleep 0.3
  shot turned
  hold Up 1
  sleep 0.3
  shot moved
  turned=$(difference $GALLERY_BACK gallery1again turned)
  moved=$(difference $GALLERY_BACK turned moved)
  echo "back wall after Right: difference $turned; after Up: $moved"
  check 'd > 0.03' d="$turned" || fail "Right did not turn the view"
  check 'd > 0.01' d="$moved" || fail "Up did not move the view"
}

# gallery_set SHOT: which picture set the side walls of a screenshot show, told apart by
# their brightness against "gallery1" (set 1, as the gallery starts): 3 when the right wall
# is dark, 1 when the left wall matches set 1, 2 when it clearly differs, ? otherwise.
gallery_set() {
  local l r l1 r1
  l=$(brightness $GALLERY_LEFT "$1")
  r=$(brightness $GALLERY_RIGHT "$1")
  l1=$(brightness $GALLERY_LEFT gallery1)
  r1=$(brightness $GALLERY_RIGHT gallery1)
  if check 'r < r1 / 2' r="$r" r1="$r1"; then
    echo 3
  elif check 'l - l1 < 0.01 && l1 - l < 0.01' l="$l" l1="$l1"; then
    echo 1
  elif check 'l - l1 > 0.05 || l1 - l > 0.05' l="$l" l1="$l1"; then
    echo 2
  else
    echo "?"
  fi
}

# check_gallery_taps: keys 2, 3, 1, 3, 2, 1 tapped (press and release sent together, as
# `xdotool key` does), each one changing the set on the walls; from set 1, facing the back.
check_gallery_taps() {
  local key acted=0 seen
  for key in 2 3 1 3 2 1; do
    xdotool key $key
    sleep 0.7
    shot "tap$key"
    seen=$(gallery_set "tap$key")
    if [ "$seen" = $key ]; then acted=$((acted + 1)); else echo "tap of $key: the walls show set $seen" >&2; fi
  done
  echo "taps acted on: $acted of 6"
  [ $acted -eq 6 ] || fail "only $acted of 6 tapped keys changed the walls"
}

# check_sets ONE TWO THREE: the shots gallery1, gallery2, gallery3 and gallery1again show
# the three picture sets, hung by the inputs named ONE, TWO and THREE.
check_sets() {
  local r1 r3 l1 l2 l1again
  r1=$(brightness $GALLERY_RIGHT gallery1)
  r3=$(brightness $GALLERY_RIGHT gallery3)
  l1=$(brightness $GALLERY_LEFT gallery1)
  l2=$(brightness $GALLERY_LEFT gallery2)
  l1again=$(brightness $GALLERY_LEFT gallery1again)
  echo "right wall: set 1 $r1, set 3 $r3; left wall: set 1 $l1, set 2 $l2, set 1 again $l1again"
  check 'r3 < r1 / 2' r1="$r1" r3="$r3" || fail "$3 left the side pictures on"
  check 'l2 - l1 > 0.05 || l1 - l2 > 0.05' l1="$l1" l2="$l2" || fail "$2 did not change the pictures"
  check 'l1 - a < 0.01 && a - l1 < 0.01' l1="$l1" a="$l1again" || fail "$1 did not bring set 1 back"
}
