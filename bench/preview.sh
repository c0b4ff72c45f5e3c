#!/usr/bin/env bash
# Times `corvanthel-cli preview Bench C500 LAYER` for each of the layers entity, bll, dal
# and sql on a synthetic catalogue of 1,000 classes (20 members each, one in ten a
# reference to another class), next to `generate` of a project holding one class alone
# (C1 of the same shape, without references) into an empty site. Showing one class must
# not cost work for the whole project per class: target, each preview at most 2x the
# time of generating that one class. The preview of C1 in the one-class project shows
# the part of a preview's time that does not grow with the project.
# Usage: bench/preview.sh [BUILD_DIR]   (default: build; run scripts/build first)
source "$(dirname "$0")/lib.sh"
runs=${RUNS:-5}

large=$work/1000
alone=$work/1
make_folder "$large" 1000
make_folder "$alone" 1

prepare_alone() { set_aside "$alone/projects"; }
measure alone "$cli" --dir "$alone" generate Bench
alone_ms=$wall_ms alone_cpu=$cpu

printf '%-32s %9s %9s %12s\n' "command" "wall (ms)" "cpu (s)" "wall ratio"
printf '%-32s %9d %9.2f %12s\n' "generate (1 class, empty site)" "$alone_ms" "$alone_cpu" "1.00x"
worst=0
for layer in entity bll dal sql; do
  measure preview "$cli" --dir "$large" preview Bench C500 "$layer"
  ratio=$(awk -v p="$wall_ms" -v g="$alone_ms" 'BEGIN { printf "%.2f", p / (g > 0 ? g : 1) }')
  worst=$(awk -v a="$worst" -v b="$ratio" 'BEGIN { print (b > a) ? b : a }')
  printf '%-32s %9d %9.2f %11sx\n' "preview C500 $layer (1000)" "$wall_ms" "$cpu" "$ratio"
done
measure preview "$cli" --dir "$alone" preview Bench C1 entity
printf '%-32s %9d %9.2f %11sx\n' "preview C1 entity (1 class)" "$wall_ms" "$cpu" \
  "$(awk -v p="$wall_ms" -v g="$alone_ms" 'BEGIN { printf "%.2f", p / (g > 0 ? g : 1) }')"
echo "preview of C500 / generate of C1 alone: at most ${worst}x (target: at most 2x)"
echo "(median of $runs runs; cpu = user + sys in steps of 10 ms; wall from the shell's clock)"
