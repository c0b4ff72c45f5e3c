#!/usr/bin/env bash
# Times `corvanthel-cli generate` on synthetic catalogues of 10, 100 and 1,000
# classes with 20 members each (about one member in ten a reference to another
# class), next to copying the produced folder with `cp -r` as the floor: wall time
# and CPU time (user + sys) of both, and their ratios.
# Usage: bench/generate.sh [BUILD_DIR]   (default: build; run scripts/build first)
source "$(dirname "$0")/lib.sh"

prepare_generate() { set_aside "$folder/projects"; }
prepare_copy() { set_aside "$folder/copy"; }

printf '%-8s %9s %9s %9s %9s %9s %9s %11s %10s\n' classes "wall (s)" "ms/class" "cpu (s)" "peak MiB" "cp wall" \
  "cp cpu" "wall ratio" "cpu ratio"
for classes in 10 100 1000; do
  folder=$work/$classes
  make_folder "$folder" "$classes"
  measure generate "$cli" --dir "$folder" generate Bench
  gen_wall=$wall gen_cpu=$cpu gen_peak=$peak
  measure copy cp -r "$folder/projects/Bench" "$folder/copy"
  awk -v n="$classes" -v gw="$gen_wall" -v gc="$gen_cpu" -v k="$gen_peak" -v cw="$wall" -v cc="$cpu" 'BEGIN {
    printf "%-8d %9.2f %9.3f %9.2f %9.1f %9.2f %9.2f %10.1fx %9.1fx\n", n, gw, 1000 * gw / n, gc, k / 1024, cw, cc,
           gw / (cw > 0 ? cw : 0.01), gc / (cc > 0 ? cc : 0.01)
  }'
done
echo "(median of $runs runs; cpu = user + sys; peak = largest resident set; ratios = generate / cp -r of the produced folder)"
