#!/bin/bash
# One run of the real show with one bad data file (or no data folder, or a read-only
# one) under its own Xvfb: every report the start-up should give is answered, the log
# holds exactly those reports, and the show goes on: to the gallery when only a picture
# is bad (the module is then the fast test module), or in the logo scene when the music
# is bad; Escape ends it with exit code 0.
#
# Usage: bad_data_case.sh LUMIVEX SWAP_COUNTER SCENE_PROBE FAST_MODULE CASE
#   CASE: FILE:VARIANT (FILE one of data/'s 23 files: a picture make-pictures --list
#         names, or lumivex.xm; VARIANT missing, empty, truncated or otherkind), nodata,
#         or readonly
source "$(dirname "$0")/lib.sh" "$@"
FAST_MODULE=$(realpath "${4:?fast module}")
CASE=${5:?case}

mapfile -t PICTURES < <(show_pictures)
[ ${#PICTURES[@]} -gt 0 ] || fail "no pictures listed by $MAKE_PICTURES"

picture_report() {
  printf "qenLoadJPEGTexture -> Texture ' data\\\\%s ' Loading Error (file don't exist)   [0]\n" "$1"
}
music_report() { printf 'Quenra3D_Music -> Music File Not Found   [0]\n'; }

# break_file PATH VARIANT
break_file() {
  local path=$1 size
  size=$(stat -c %s "$path")
  case "$2" in
    missing) rm -f "$path" ;;
    empty) : >"$path" ;;
    truncated) truncate -s $((size / 2)) "$path" ;;
    otherkind)
      # A picture becomes a module, the module becomes a picture.
      if [[ $path == *.xm ]]; then cp "$REPO_DATA/mur.jpg" "$path"; else cp "$FAST_MODULE" "$path"; fi
      ;;
    *) fail "unknown variant $2" ;;
  esac
}

start_x 800x600x16
make_run_folder
expected_reports=$WORK/expected
printf ' .:Vorlen Engine Errors File:.\n\n\n' >"$expected_reports"
music_ok=1
log_expected=1

case "$CASE" in
  nodata)
    rm -rf "$RUN/data"
    for name in "${PICTURES[@]}"; do picture_report "$name" >>"$expected_reports"; done
    music_report >>"$expected_reports"
    music_ok=0
    log_expected=0
    ;;
  readonly)
    # One picture missing as well, so that a report has to reach the viewer without a log.
    cp "$FAST_MODULE" "$RUN/data/lumivex.xm"
    rm -f "$RUN/data/stars.jpg"
    picture_report stars.jpg >>"$expected_reports"
    log_expected=0
    chmod -R a+rX "$WORK"
    chmod a-w "$RUN/data"
    chmod a+rwx "$PROBE_DIR"
    # root writes into read-only folders: run the show as nobody.
    if [ "$(id -u)" -eq 0 ]; then
      command -v setpriv >/dev/null || { echo "SKIPPED: setpriv is missing" >&2; exit 77; }
      SHOW_WRAPPER=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
    fi
    ;;
  *:*)
    file=${CASE%%:*}
    variant=${CASE#*:}
    [ -f "$RUN/data/$file" ] || fail "no data file $file"
    if [ "$file" = lumivex.xm ] && [ "$variant" = truncated ]; then
      # libopenmpt takes a module whose sample data is cut short (silence in place of the
      # missing samples, no warning): no report, and the orders still advance. The half
      # kept here ends well after the patterns, in the sample data.
      break_file "$RUN/data/$file" "$variant"
      music_ok=2
    elif [ "$file" = lumivex.xm ]; then
      break_file "$RUN/data/$file" "$variant"
      music_report >>"$expected_reports"
      music_ok=0
    else
      cp "$FAST_MODULE" "$RUN/data/lumivex.xm"
      break_file "$RUN/data/$file" "$variant"
      picture_report "$file" >>"$expected_reports"
    fi
    ;;
  *) fail "unknown case $CASE" ;;
esac

start_probed_show
boxes=$(answer_error_boxes)
reports=$(($(wc -l <"$expected_reports") - 3))
[ "$boxes" -eq "$reports" ] || fail "$CASE: $boxes boxes answered, $reports reports expected"
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "$CASE: no show window"

# Each report also goes to standard error, in full, after the box's caption.
tail -n +4 "$expected_reports" | while IFS= read -r line; do
  grep -qxF -- "Vorlen - ERROR: $line" "$WORK/show.err" || fail "$CASE: not on standard error: $line"
done || exit 1

if [ $music_ok -eq 1 ]; then
  wait_scene gallery 10 60 || fail "$CASE: the gallery was not reached ($(cat "$PROBE_DIR/scenes" 2>/dev/null))"
elif [ $music_ok -eq 2 ]; then
  # The shipped module reaches order 2 (the tunnel) after about 15 s.
  wait_scene tunnel 10 60 || fail "$CASE: the music did not move on ($(cat "$PROBE_DIR/scenes" 2>/dev/null))"
else
  # Without music the order stays 0: only the logo scene, however long it runs.
  wait_swaps 30 60 || fail "$CASE: fewer than 30 frames"
  sleep 3
  show_running || fail "$CASE: the show ended by itself"
  [ "$(probe_count logo)" -ge 30 ] || fail "$CASE: no logo frames"
  for scene in tunnel spheres gallery; do
    [ "$(probe_count $scene)" -eq 0 ] || fail "$CASE: $scene frames without music"
  done
fi
scenes=$(cat "$PROBE_DIR/scenes")

escape_ends_show "$CASE"
# Only after exit: the log is written through a buffered stream, flushed at the end.
if [ $log_expected -eq 1 ]; then
  diff "$expected_reports" "$RUN/data/VorlErrors.txt" >&2 || fail "$CASE: the log is not as expected"
else
  [ ! -e "$RUN/data/VorlErrors.txt" ] || fail "$CASE: a log was written"
fi
echo "PASS: $CASE: $boxes report(s) answered, frames logo/tunnel/spheres/gallery $(echo "$scenes" | cut -d' ' -f2-5), exit 0"
