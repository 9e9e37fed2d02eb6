#!/bin/bash
# The bad-data matrix: the real show under Xvfb with each data file missing, empty, cut
# in half and replaced by a file of another kind, plus no data folder and a read-only one
# (bad_data_case.sh runs one case). Picture cases play the fast test module, so that the
# gallery comes after two seconds instead of the shipped module's 46.
#
# Usage: bad_data_matrix.sh LUMIVEX SWAP_COUNTER SCENE_PROBE FAST_MODULE_WRITER [--full] [-j N]
#   default: a representative set (first, middle and last picture, an intro picture, the
#   module, no data folder, read-only folder); --full: all 23 files x 4 variants.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 4 ] || { echo "usage: $0 LUMIVEX SWAP_COUNTER SCENE_PROBE FAST_MODULE_WRITER [--full] [-j N]" >&2; exit 2; }
LUMIVEX=$(realpath "$1")
SWAP_COUNTER=$(realpath "$2")
SCENE_PROBE=$(realpath "$3")
WRITER=$(realpath "$4")
shift 4
FULL=0
JOBS=$(nproc 2>/dev/null || echo 2)
while [ $# -gt 0 ]; do
  case "$1" in
    --full) FULL=1 ;;
    -j) JOBS=$2; shift ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || {
  echo "SKIPPED: Xvfb and xdotool are needed (scripts/install-deps)" >&2
  exit 77
}

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-matrix-XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT
"$WRITER" "$SCRATCH/fast.xm" || exit 1

if [ $FULL -eq 1 ]; then
  CASES=()
  for file in "$HERE"/../../data/*.jpg "$HERE"/../../data/*.xm; do
    for variant in missing empty truncated otherkind; do CASES+=("$(basename "$file"):$variant"); done
  done
  CASES+=(nodata readonly)
else
  CASES=(mur.jpg:missing stars.jpg:truncated 'kavra#3.jpg:empty' lumivex.jpg:otherkind
    lumivex.xm:missing lumivex.xm:otherkind nodata readonly)
fi

start=$(date +%s)
printf '%s\n' "${CASES[@]}" |
  xargs -d '\n' -P "$JOBS" -I{} sh -c \
    'out=$(bash "$0" "$1" "$2" "$3" "$4" "$5" 2>&1); code=$?; echo "$out" | tail -n 40 > "$6/$(echo "$5" | tr "#:" "__").log"; echo "$code $5" >> "$6/results"; echo "$out" | tail -n 1' \
    "$HERE/bad_data_case.sh" "$LUMIVEX" "$SWAP_COUNTER" "$SCENE_PROBE" "$SCRATCH/fast.xm" {} "$SCRATCH"
seconds=$(($(date +%s) - start))

total=$(wc -l <"$SCRATCH/results")
failed=$(awk '$1 != 0 && $1 != 77' "$SCRATCH/results" | wc -l)
skipped=$(awk '$1 == 77' "$SCRATCH/results" | wc -l)
if [ "$failed" -gt 0 ]; then
  awk '$1 != 0 && $1 != 77 { $1 = ""; sub(/^ /, ""); print }' "$SCRATCH/results" | while IFS= read -r c; do
    echo "=== failed: $c"
    cat "$SCRATCH/$(echo "$c" | tr '#:' '__').log"
  done
fi
echo "bad-data matrix: $total cases, $failed failed, $skipped skipped, $seconds s with $JOBS at a time"
[ "$total" -eq "${#CASES[@]}" ] || { echo "only $total of ${#CASES[@]} cases ran" >&2; exit 1; }
[ "$failed" -eq 0 ] || exit 1
[ "$skipped" -lt "$total" ] || exit 77
