#!/usr/bin/env bash
# Times the commands of corvanthel-cli on synthetic catalogues of 1,000 and 10,000
# classes (20 members each, one in ten a reference) and shows how much slower each
# is at the larger size; linear work is about 10x.
# Usage: bench/scale.sh [BUILD_DIR]   (default: build; run scripts/build first)
#
# Each command NAME has an array args_NAME, the arguments after `corvanthel-cli --dir
# $folder`, and optionally a function prepare_NAME run untimed before every run (it may
# use $folder and $work). To bench another command, define them below and add its name
# to `commands`.
source "$(dirname "$0")/lib.sh"

commands=(generate sql)

args_generate=(generate Bench)
prepare_generate() { set_aside "$folder/projects"; }
args_sql=(sql Bench -o "$work/script.sql")

sizes=(1000 10000)
declare -A walls cpus peaks
for classes in "${sizes[@]}"; do
  folder=$work/$classes
  make_folder "$folder" "$classes"
  for name in "${commands[@]}"; do
    declare -n args=args_$name
    measure "$name" "$cli" --dir "$folder" "${args[@]}"
    unset -n args
    walls[$name,$classes]=$wall cpus[$name,$classes]=$cpu peaks[$name,$classes]=$peak
  done
done

printf '%-10s %12s %12s %11s %12s %12s %10s %16s\n' command "1k wall (s)" "10k wall (s)" "wall ratio" "1k cpu (s)" \
  "10k cpu (s)" "cpu ratio" "10k peak (MiB)"
for name in "${commands[@]}"; do
  awk -v c="$name" -v w1="${walls[$name,1000]}" -v w2="${walls[$name,10000]}" -v c1="${cpus[$name,1000]}" \
    -v c2="${cpus[$name,10000]}" -v k="${peaks[$name,10000]}" 'BEGIN {
    printf "%-10s %12.2f %12.2f %10.1fx %12.2f %12.2f %9.1fx %16.1f\n", c, w1, w2, w2 / (w1 > 0 ? w1 : 0.01), c1, c2,
           c2 / (c1 > 0 ? c1 : 0.01), k / 1024
  }'
done
echo "(median of $runs runs; cpu = user + sys; peak = largest resident set)"
