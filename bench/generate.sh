#!/usr/bin/env bash
# Times `corvanthel-cli generate` into an empty site on synthetic catalogues of 10, 100,
# 1,000 and 10,000 classes with 20 members each (about one member in ten a reference to
# another class), next to two floors fed the produced folder: `cp -r` of it, and
# bench/floor.c, which writes the same folders and files each through a temporary file
# renamed into place, as the run must. Shows wall time and CPU time (user + sys) of each
# and the ratios of the run's CPU to both floors (targets: at most 1.15x the floor program,
# at most 1.6x cp -r).
# Usage: bench/generate.sh [BUILD_DIR] [CLASSES...]   (default: build 10 100 1000 10000)
source "$(dirname "$0")/lib.sh"
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10 100 1000 10000)

floor=$work/floor
cc -O2 -o "$floor" bench/floor.c

prepare_generate() { set_aside "$folder/projects"; }
prepare_copy() { set_aside "$folder/copy"; }
prepare_floor() { set_aside "$folder/floor"; }

printf '%-8s %9s %9s %9s %9s %9s %9s %11s %11s\n' classes "wall (s)" "cpu (s)" "peak MiB" "cp cpu" \
  "floor cpu" "floor wall" "cpu/floor" "cpu/cp"
for classes in "${sizes[@]}"; do
  folder=$work/$classes
  make_folder "$folder" "$classes"
  measure generate "$cli" --dir "$folder" generate Bench
  gen_wall=$wall gen_cpu=$cpu gen_peak=$peak
  measure copy cp -r "$folder/projects/Bench" "$folder/copy"
  cp_cpu=$cpu
  measure floor "$floor" "$folder/projects/Bench" "$folder/floor"
  awk -v n="$classes" -v gw="$gen_wall" -v gc="$gen_cpu" -v k="$gen_peak" -v cc="$cp_cpu" -v fc="$cpu" \
    -v fw="$wall" 'BEGIN {
    printf "%-8d %9.2f %9.2f %9.1f %9.2f %9.2f %9.2f %10.2fx %10.2fx\n", n, gw, gc, k / 1024, cc, fc, fw,
           gc / (fc > 0 ? fc : 0.01), gc / (cc > 0 ? cc : 0.01)
  }'
done
echo "(median of $runs runs; cpu = user + sys, in steps of 10 ms; peak = largest resident set; floor = bench/floor.c)"
