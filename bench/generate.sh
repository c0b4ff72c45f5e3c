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
runs=${RUNS:-5}

printf '%-8s %9s %9s %9s %9s %9s %9s %9s %11s %11s\n' classes "wall (s)" "user (s)" "cpu (s)" "peak MiB" "cp cpu" \
  "floor cpu" "floor wall" "cpu/floor" "cpu/cp"
for classes in "${sizes[@]}"; do
  folder=$work/$classes
  make_folder "$folder" "$classes"
  # One run of each in turn, $runs times: the three see the same load of the machine.
  "$cli" --dir "$folder" generate Bench >/dev/null  # the tree the floors are fed
  mv "$folder/projects/Bench" "$folder/tree"
  for _ in $(seq "$runs"); do
    sample generate "$cli" --dir "$folder" generate Bench
    sample copy cp -r "$folder/tree" "$folder/copy"
    sample floor "$floor" "$folder/tree" "$folder/floor"
  done
  awk -v n="$classes" -v gw="$(sample_median generate wall)" -v gu="$(sample_median generate user)" \
    -v gc="$(sample_median generate cpu)" -v k="$(sample_median generate peak)" -v cc="$(sample_median copy cpu)" \
    -v fc="$(sample_median floor cpu)" -v fw="$(sample_median floor wall)" 'BEGIN {
    printf "%-8d %9.3f %9.3f %9.3f %9.1f %9.3f %9.3f %9.3f %10.2fx %10.2fx\n", n, gw, gu, gc, k / 1024, cc, fc, fw,
           gc / fc, gc / cc
  }'
  for name in generate copy floor; do unset "samples[$name.wall]" "samples[$name.user]" "samples[$name.sys]" \
    "samples[$name.cpu]" "samples[$name.peak]"; done
done
echo "(median of $runs interleaved runs; cpu = user + sys; peak = largest resident set; floor = bench/floor.c)"
