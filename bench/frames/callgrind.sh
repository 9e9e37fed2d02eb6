#!/bin/sh
# Share of the instructions of each scene's frames spent in the show's own code (the
# functions defined under show/), against everything those frames execute: our code,
# Mesa's GL front end, GLU and the rasteriser. llvmpipe rasterises on the calling
# thread (LP_NUM_THREADS=0) so that callgrind sees the whole frame in one place, and
# only MeasureScene (the scene's timed frames: no floor, no warm-up, no shader
# compilation) is collected. Our code counts as the functions defined in show/*.cpp and
# resources/music_player.cpp (the order query), with whatever is inlined into them.
#
# The build needs debug line information, e.g. a Release build with -g (same code):
#   cmake -S . -B build-prof -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g
#   cmake --build build-prof --target frames_bench
# Usage, from the repository root: bench/frames/callgrind.sh BUILD_DIR [frames per scene]
set -eu
build=${1:?usage: callgrind.sh BUILD_DIR [frames]}
frames=${2:-10}
bench="$build/bench/frames/frames_bench"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for scene in "logo" "tunnel" "tunnel+panel" "spheres" "spheres+panel" "gallery set 1" \
             "gallery set 3"; do
  LP_NUM_THREADS=0 valgrind --tool=callgrind --toggle-collect='MeasureScene*' \
    --callgrind-out-file="$out/cg.out" "$bench" "$frames" "$scene" >/dev/null 2>"$out/log"
  # Self cost per function, with the file each is defined in.
  callgrind_annotate --auto=no --threshold=100 "$out/cg.out" >"$out/annotate" 2>/dev/null
  awk -v scene="$scene" -v frames="$frames" '
    /PROGRAM TOTALS/ { gsub(",", "", $1); total = $1 }
    /^ *[0-9,]+ .*:/ {
      cost = $1; gsub(",", "", cost)
      if ($0 ~ /\/(show\/[a-z_]+|resources\/music_player)\.cpp:/) ours += cost
    }
    END {
      if (total == 0) { printf "%-16s no data\n", scene; exit 1 }
      printf "%-16s %12d Ir/frame in all  %8d Ir/frame ours  %8.4f %%\n", scene, total / frames,
             ours / frames, 100 * ours / total
    }' "$out/annotate"
done
