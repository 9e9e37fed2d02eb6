# The live sync test's rule, shared by sync_test.sh (the Linux build) and wine_sync.sh (the
# Windows build under Wine). Needs TOLERANCE_MS and ORDER_SECONDS.
#
# judge N CLICK0 CLICK1 NOTE [FRAMES]: prints the run's figures from the frames noted (by
# default $WORK/swaps.N); fails the run where the rule breaks.
# How far the note came from where the module's clock puts it (two orders after the first
# click) is printed too: more than a few ms is the sound itself held up (an underrun on a
# loaded machine), which the show hears as well.
judge() {
  local swaps=${5:-$WORK/swaps.$1}
  awk -v run="$1" -v click="$2" -v note="$4" -v tol="$TOLERANCE_MS" -v order="$ORDER_SECONDS" '
    { begun[NR] = $1; swapped[NR] = $2; tunnel[NR] = $3 }
    END {
      held = (note - click - 2 * order) * 1000
      for (i = 1; i <= NR && !tunnel[i]; ++i) {}
      if (i > NR || i == 1) { printf "run %s: no cut from the logo to the tunnel in %d frames\n", run, NR; exit 1 }
      cut = (swapped[i] - note) * 1000; before = (begun[i - 1] - note) * 1000
      back = 0
      for (j = i; j <= NR && swapped[j] < note + 0.5; ++j) if (!tunnel[j]) back = 1
      printf "run %s: first tunnel frame begun %+.1f ms, swapped %+.1f ms; last logo frame begun %+.1f ms, swapped %+.1f ms from the note (the sound %+.1f ms off its clock)\n", run, (begun[i] - note) * 1000, cut, before, (swapped[i - 1] - note) * 1000, held
      bad = 0
      if (before > tol) { printf "  FAILED: a logo frame was begun %.1f ms after the note (%s ms allowed): the cut came a frame late\n", before, tol; bad = 1 }
      if (cut < -tol) { printf "  FAILED: the tunnel was swapped %.1f ms before the note (%s ms allowed): the cut came early\n", -cut, tol; bad = 1 }
      if (back) { printf "  FAILED: the logo came back after the cut\n"; bad = 1 }
      exit bad
    }' "$swaps"
}
