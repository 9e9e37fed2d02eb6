# Shared helpers of the package tests, on top of the end-to-end scripts' own (a private X
# server, the program started in a given folder, windows, keys and screenshots, cleanup):
# the package files, the logo checked on screen, the log and the capture checked.
#
# Usage from a script:  source lib.sh   (then start_in FOLDER PROGRAM, expect_logo ...)

PACKAGE_TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The program is named when it is started (it may not exist yet: the package installs it).
source "$PACKAGE_TESTS/../e2e/lib.sh" "$PACKAGE_TESTS/lumivex" || exit 1
LOGO_SHOT="$PACKAGE_TESTS/../../docs/screens/logo.png"

need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 ||
      skip "$tool is not installed (scripts/install-deps, scripts/install-package-deps)"
  done
}

# require_package PATH: fails, saying how to make it, where `make package` wrote no PATH.
require_package() {
  [ -f "$1" ] || fail "$1 is missing: run make package (the tests check what it made)"
}

# start_in FOLDER PROGRAM: PROGRAM started with FOLDER as its working folder.
start_in() {
  RUN=$1
  LUMIVEX=$2
  start_show
}

# expect_logo NAME: the show's window is up and, within 20 s, the screen shows the group's
# logo as the capture of the logo scene has it (docs/screens/logo.png): the same picture,
# the right way up (upside down it differs by 0.058).
expect_logo() {
  local i error=1
  wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"
  for i in $(seq 1 40); do
    show_running || fail "the show ended"
    sleep 0.5
    shot "$1"
    error=$(compare -metric MAE "$WORK/$1.png" "$LOGO_SHOT" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
    check 'e < 0.03' e="$error" && break
  done
  if [ -n "${LUMIVEX_E2E_SHOTS:-}" ]; then cp "$WORK/$1.png" "$LUMIVEX_E2E_SHOTS/"; fi
  check 'e < 0.03' e="$error" || fail "the screen is not the logo (difference $error)"
  echo "logo on screen (difference from the reference shot: $error)"
}

# end_with_escape: Escape ends the show with exit code 0.
end_with_escape() {
  press Escape
  wait_exit 30
  local code=$?
  [ $code -eq 0 ] || fail "exit code $code after Escape"
}

# expect_banner_only LOG: the log holds the banner and no report.
expect_banner_only() {
  [ -f "$1" ] || fail "no log at $1"
  diff <(printf ' .:Vorlen Engine Errors File:.\n\n\n') "$1" >&2 ||
    fail "the log $1 holds more than the banner"
}

# run_tool NAME FOLDER BAD_OUTPUT COMPLAINT COMMAND...: COMMAND run in FOLDER, its output in
# $WORK/NAME.out; fails where it fails, or where its output matches BAD_OUTPUT (grep).
run_tool() {
  local name=$1 folder=$2 bad=$3 complaint=$4
  shift 4
  (cd "$folder" && "$@") >"$WORK/$name.out" 2>&1 || {
    cat "$WORK/$name.out" >&2
    fail "the $name failed"
  }
  if grep -q "$bad" "$WORK/$name.out"; then
    cat "$WORK/$name.out" >&2
    fail "the $name $complaint"
  fi
}

# expect_capture_reads_data FOLDER CAPTURE [EXTENSION]: a few frames captured offline from
# FOLDER into a video (default .y4m) with no report of a missing picture or module.
expect_capture_reads_data() {
  local clip="$WORK/clip${3:-.y4m}"
  run_tool capture "$1" "Error\|Not Found" "did not find its data" \
    "$2" --out "$clip" --seconds 0.05 --quiet
  [ -s "$clip" ] || fail "the capture wrote no video ($clip)"
}

# expect_viewer_shot FOLDER VIEWER: the viewer, started from FOLDER, draws a small OBJ
# into a PNG headless, with its status line (its glyph picture found where it was put).
expect_viewer_shot() {
  printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n' >"$WORK/triangle.obj"
  run_tool viewer "$1" "no font" "did not find its glyph picture" \
    "$2" "$WORK/triangle.obj" --shot "$WORK/view.png" --size 320x240
  [ -s "$WORK/view.png" ] || fail "the viewer wrote no picture"
}
