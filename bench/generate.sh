#!/usr/bin/env bash
# Times `corvanthel-cli generate` on synthetic catalogues of 10, 100 and 1,000
# classes with 20 members each (about one member in ten a reference to another
# class), next to copying the produced folder with `cp -r` as the floor.
# Usage: bench/generate.sh [BUILD_DIR]   (default: build; run scripts/build first)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
cli=$PWD/$build_dir/bin/corvanthel-cli
[ -x "$cli" ] || { echo "no $cli: run scripts/build first" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed (scripts/install-deps)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is needed: apt-get install time" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=${RUNS:-3}

# catalogue_sql N: the SQL of a catalogue with one project "Bench" of N classes.
source bench/catalogue.sh

median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }

printf '%-8s %10s %12s %10s %11s %8s\n' classes "time (s)" "ms/class" "peak MiB" "cp -r (s)" ratio
for classes in 10 100 1000; do
  folder=$work/$classes
  mkdir -p "$folder"
  cp -r "$build_dir/bin/bak" "$folder/bak"
  "$cli" --dir "$folder" list >/dev/null  # creates the empty catalogue
  catalogue_sql "$classes" | sqlite3 "$folder/projects.mdb"

  gen_times=() peak=0
  for _ in $(seq "$runs"); do
    rm -rf "$folder/projects"
    sync
    start=$(date +%s%N)
    kib=$( { /usr/bin/time -f '%M' "$cli" --dir "$folder" generate Bench >/dev/null; } 2>&1 | tail -1)
    gen_times+=("$(( $(date +%s%N) - start ))")
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  gen=$(printf '%s\n' "${gen_times[@]}" | median)

  cp_times=()
  for _ in $(seq "$runs"); do
    rm -rf "$folder/copy"
    sync
    start=$(date +%s%N)
    cp -r "$folder/projects/Bench" "$folder/copy"
    cp_times+=("$(( $(date +%s%N) - start ))")
  done
  floor=$(printf '%s\n' "${cp_times[@]}" | median)

  awk -v n="$classes" -v g="$gen" -v k="$peak" -v f="$floor" 'BEGIN {
    g /= 1e9; f /= 1e9
    printf "%-8d %10.3f %12.3f %10.1f %11.3f %7.1fx\n", n, g, 1000 * g / n, k / 1024, f, g / f
  }'
done
echo "(median of $runs runs; peak = largest resident set; ratio = generate / cp -r of the produced folder)"
