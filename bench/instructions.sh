#!/usr/bin/env bash
# Counts the instructions (valgrind --tool=callgrind, whole process) of the runs whose cost
# the machine's load would blur: `generate` into an empty site and again after no change at
# 1,000 classes, and `preview` of one class (C500 dal) at 1,000 and 10,000 classes. Targets:
# the run after no change at most 0.15x the first run; the preview at 10,000 classes at most
# 1.5x the one at 1,000.
# Usage: bench/instructions.sh [BUILD_DIR]   (default: build; run scripts/build first)
source "$(dirname "$0")/lib.sh"
command -v valgrind >/dev/null || { echo "valgrind is needed: apt-get install valgrind" >&2; exit 1; }

# count NAME COMMAND...: the instructions the command executed (every thread). With KEEP=FOLDER the
# profile is kept there as NAME.out, for callgrind_annotate.
count() {
  local out=$work/$1.out
  shift
  valgrind --tool=callgrind --callgrind-out-file="$out" "$@" >/dev/null 2>"$work/callgrind.log"
  if [ -n "${KEEP:-}" ]; then mkdir -p "$KEEP" && cp "$out" "$KEEP/"; fi
  awk '/^summary:/ { print $2 }' "$out"
}

make_folder "$work/1000" 1000
make_folder "$work/10000" 10000
first=$(count first "$cli" --dir "$work/1000" generate Bench)
again=$(count again "$cli" --dir "$work/1000" generate Bench)
small=$(count small "$cli" --dir "$work/1000" preview Bench C500 dal)
large=$(count large "$cli" --dir "$work/10000" preview Bench C500 dal)

printf '%-40s %15s\n' "command" "instructions"
printf '%-40s %15d\n' "generate 1000 classes, empty site" "$first"
printf '%-40s %15d\n' "generate 1000 classes, after no change" "$again"
printf '%-40s %15d\n' "preview C500 dal, 1000 classes" "$small"
printf '%-40s %15d\n' "preview C500 dal, 10000 classes" "$large"
awk -v a="$first" -v b="$again" -v s="$small" -v l="$large" 'BEGIN {
  printf "after no change / first run: %.3fx (target: at most 0.15x)\n", b / a
  printf "preview at 10000 / at 1000: %.2fx (target: at most 1.5x)\n", l / s
}'
