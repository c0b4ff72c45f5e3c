#!/usr/bin/env bash
# Times `corvanthel-cli generate` on a synthetic catalogue of 1,000 classes (20 members
# each, one in ten a reference to another class) twice: the first run into an empty
# site, and a run after no change to the catalogue, which finds every file already
# holding its bytes, sampled in turn. For each it shows wall, user and CPU time (user +
# sys), peak memory and how many files under the site the run wrote: files whose
# modification time or size changed, and new files. Targets: the run after no change
# writes 0 files and takes at most 0.15x the user time of the first run (and within
# 64 MiB at 10,000 classes). The script exits with 1 when that run wrote any file (a
# correctness property, unlike the times, which depend on the machine).
# CLASSES=10000 runs it on 10,000 classes (peak memory target there: 64 MiB).
# Each sample of the run after no change is the average of REPEAT runs in a row (default 10): the
# kernel splits a process's time into user and system time by where its clock ticks find it, and a
# run of some 20 ms gets only a few ticks, so one run's user time alone varies by a third.
# Usage: bench/regenerate.sh [BUILD_DIR]   (default: build; run scripts/build first)
source "$(dirname "$0")/lib.sh"

runs=${RUNS:-5}
classes=${CLASSES:-1000}
repeat_unchanged=${REPEAT:-10}
folder=$work/$classes
site=$folder/projects
make_folder "$folder" "$classes"

# listing FILE: every file under the site with its modification time and size, sorted.
listing() { find "$site" -type f -printf '%T@ %s %p\n' | sort >"$1"; }

# written_since FILE: the number of files the site has now that are not in the listing
# FILE as they were then (written again, changed or new).
written_since() { listing "$work/after.txt" && comm -13 "$work/before.txt" "$work/after.txt" | wc -l; }

# The most files any run after no change wrote: counted when the next first run sets the
# site aside, and after the last run.
most_written=0
note_written() {
  [ -f "$work/before.txt" ] || return 0
  local n
  n=$(written_since "$work/before.txt")
  [ "$n" -gt "$most_written" ] && most_written=$n
  rm "$work/before.txt"
}
prepare_first() {
  note_written
  set_aside "$site"
}
# Before each timed run after no change: make sure the site exists (one untimed run when it
# does not), then list it as it is.
prepare_unchanged() {
  [ -d "$site/Bench" ] || "$cli" --dir "$folder" generate Bench >/dev/null
  listing "$work/before.txt"
}

# The two kinds of run in turn, so that both see the same load of the machine.
for _ in $(seq "$runs"); do
  sample first "$cli" --dir "$folder" generate Bench
  sample unchanged "$cli" --dir "$folder" generate Bench
done
first_files=$(find "$site" -type f | wc -l)
note_written

printf '%-24s %9s %9s %9s %9s %14s\n' "generate ($classes classes)" "wall (s)" "user (s)" "cpu (s)" "peak MiB" \
  "files written"
for name in first unchanged; do
  label="first run (empty site)" files=$first_files
  [ $name = unchanged ] && label="after no change" files=$most_written
  printf '%-24s %9.3f %9.3f %9.3f %9.1f %14d\n' "$label" "$(sample_median $name wall)" "$(sample_median $name user)" \
    "$(sample_median $name cpu)" "$(awk -v k="$(sample_median $name peak)" 'BEGIN { print k / 1024 }')" "$files"
done
awk -v a="$(sample_median first user)" -v b="$(sample_median unchanged user)" \
  -v ac="$(sample_median first cpu)" -v bc="$(sample_median unchanged cpu)" 'BEGIN {
  printf "after no change / first run: user %.3fx, cpu %.3fx (target: user at most 0.15x)\n", b / a, bc / ac
}'
echo "(median of $runs interleaved runs, each after no change the average of $repeat_unchanged in a row; cpu = user + sys;"
echo " files written after no change: the most any run wrote, target 0)"
if [ "$most_written" -ne 0 ]; then
  echo "the run after no change wrote $most_written files; it should write none" >&2
  exit 1
fi
