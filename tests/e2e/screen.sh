# Looking at the screen from a test: screenshots, regions compared or measured, held keys.
# Sourced by scripts that have $WORK and fail() (tests/e2e/lib.sh, tests/windows/lib.sh).

# shot NAME: the whole screen into $WORK/NAME.png.
shot() { import -window root "$WORK/$1.png" || fail "no screenshot"; }

# difference GEOMETRY A B: how much a region (WxH+X+Y) of two screenshots differs (mean
# absolute error, 0..1).
difference() {
  compare -metric MAE "$WORK/$2.png[$1]" "$WORK/$3.png[$1]" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}

# brightness GEOMETRY A: the mean grey level of a region (0..1).
brightness() { convert "$WORK/$2.png[$1]" -colorspace gray -format '%[fx:mean]' info:; }

# check EXPRESSION NAME=VALUE...: an awk condition on the figures given.
check() {
  local condition=$1 assignment
  local arguments=()
  shift
  for assignment in "$@"; do arguments+=(-v "$assignment"); done
  awk "${arguments[@]}" "BEGIN { exit !($condition) }" </dev/null
}

# hold KEY SECONDS: the key held down that long.
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}
