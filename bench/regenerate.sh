#!/usr/bin/env bash
# Times `corvanthel-cli generate` on a synthetic catalogue of 1,000 classes (20 members
# each, one in ten a reference to another class) twice: the first run into an empty
# site, and a run after no change to the catalogue, which finds every file already
# holding its bytes. For each it shows wall and CPU time (user + sys) and how many files
# under the site the run wrote: files whose modification time or size changed, and new
# files. Targets: the run after no change writes 0 files and takes at most half the
# time of the first run. The script exits with 1 when that run wrote any file (a
# correctness property, unlike the times, which depend on the machine).
# Usage: bench/regenerate.sh [BUILD_DIR]   (default: build; run scripts/build first)
source "$(dirname "$0")/lib.sh"

folder=$work/1000
site=$folder/projects
make_folder "$folder" 1000

# listing FILE: every file under the site with its modification time and size, sorted.
listing() { find "$site" -type f -printf '%T@ %s %p\n' | sort >"$1"; }

# written_since FILE: the number of files the site has now that are not in the listing
# FILE as they were then (written again, changed or new).
written_since() { listing "$work/after.txt" && comm -13 "$work/before.txt" "$work/after.txt" | wc -l; }

prepare_first() { set_aside "$site"; }

# Before each timed run after no change: count what the previous timed run wrote, make
# sure the site exists (one untimed run when it does not), then list it as it is.
most_written=0
prepare_unchanged() {
  if [ -f "$work/before.txt" ]; then
    local n
    n=$(written_since "$work/before.txt")
    [ "$n" -gt "$most_written" ] && most_written=$n
  fi
  [ -d "$site/Bench" ] || "$cli" --dir "$folder" generate Bench >/dev/null
  listing "$work/before.txt"
}

measure first "$cli" --dir "$folder" generate Bench
first_ms=$wall_ms first_cpu=$cpu
first_files=$(find "$site" -type f | wc -l)

measure unchanged "$cli" --dir "$folder" generate Bench
n=$(written_since "$work/before.txt")
[ "$n" -gt "$most_written" ] && most_written=$n

printf '%-24s %9s %9s %14s\n' "generate (1000 classes)" "wall (s)" "cpu (s)" "files written"
printf '%-24s %9.2f %9.2f %14d\n' "first run (empty site)" "$(awk -v m="$first_ms" 'BEGIN { print m / 1000 }')" \
  "$first_cpu" "$first_files"
printf '%-24s %9.2f %9.2f %14d\n' "after no change" "$(awk -v m="$wall_ms" 'BEGIN { print m / 1000 }')" "$cpu" \
  "$most_written"
awk -v a="$first_ms" -v b="$wall_ms" -v ac="$first_cpu" -v bc="$cpu" 'BEGIN {
  printf "after no change / first run: wall %.2fx, cpu %.2fx (target: at most 0.5x)\n", b / (a > 0 ? a : 1),
         bc / (ac > 0 ? ac : 0.01)
}'
echo "(median of $runs runs; cpu = user + sys; files written after no change: the most any run wrote, target 0)"
if [ "$most_written" -ne 0 ]; then
  echo "the run after no change wrote $most_written files; it should write none" >&2
  exit 1
fi
