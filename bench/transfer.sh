#!/usr/bin/env bash
# Times `corvanthel-cli import`, `export`, `check` and `sql` on synthetic projects of 1,000 and 10,000
# classes with 20 members each (two of them references to earlier classes), and shows how much slower each
# is at 10,000 than at 1,000 classes: about 10x means the time grows linearly with the project.
# The project enters the catalogue through `import` of a generated project file.
# Usage: bench/transfer.sh [BUILD_DIR]   (default: build; run scripts/build first)
source "$(dirname "$0")/lib.sh"

runs=${RUNS:-3}

# A project file: every class has an integer key, a display member, 16 more members of the five types and
# two references to earlier classes.
project_file() {
  awk -v n="$1" 'BEGIN {
    split("字符串 整型 浮点型 日期型 图片型", types, " ");
    printf "{\n  \"format\": \"corvanthel-project\",\n  \"version\": 1,\n  \"projectName\": \"Bench\",\n  \"classes\": [\n";
    for (c = 1; c <= n; c++) {
      printf "    {\n      \"className\": \"C%d\",\n      \"friendName\": \"类%d\",\n      \"members\": [\n", c, c;
      for (m = 1; m <= 20; m++) {
        name = "m" m; type = types[(m % 5) + 1]; key = 0; display = 0;
        if (m == 1) { name = "id"; type = "整型"; key = 1 }
        if (m == 2) { name = "name"; type = "字符串"; display = 1 }
        if (m >= 19 && c > 1) { name = "ref" m; type = "C" (1 + (c * 7 + m) % (c - 1)) }
        printf "        {\n          \"memberName\": \"%s\",\n          \"memberType\": \"%s\",\n", name, type;
        printf "          \"memberLength\": %d,\n          \"memberIsPri\": %d,\n", (type == "字符串") ? 20 : 0, key;
        printf "          \"memberComment\": \"成员%d\",\n          \"memberIsMust\": 1,\n", m;
        printf "          \"memberIsInteger\": %d,\n          \"memberIsFloat\": %d,\n", (type == "整型"), (type == "浮点型");
        printf "          \"queryFlag\": 0,\n          \"memberIsDisplay\": %d,\n", display;
        printf "          \"memberQueryDisplay\": 1\n        }%s\n", (m < 20) ? "," : "";
      }
      printf "      ]\n    }%s\n", (c < n) ? "," : "";
    }
    printf "  ]\n}\n";
  }'
}

median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }

# Runs the command $runs times; prints the median wall time in ns and the largest peak memory in KiB.
measure() {
  local times=() peak=0 kib start
  for _ in $(seq "$runs"); do
    [ -n "${before:-}" ] && eval "$before"
    start=$(date +%s%N)
    kib=$( { /usr/bin/time -f '%M' "$@" >/dev/null; } 2>&1 | tail -1)
    times+=("$(( $(date +%s%N) - start ))")
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $peak"
}

declare -A seconds
printf '%-8s %-8s %10s %10s\n' command classes "time (s)" "peak MiB"
for classes in 1000 10000; do
  folder=$work/$classes
  mkdir -p "$folder"
  project_file "$classes" >"$folder/bench.json"
  for command in import export check sql; do
    case $command in
      import) before="rm -f '$folder/projects.mdb' '$folder/projects.mdb-wal' '$folder/projects.mdb-shm'"
              args=(import "$folder/bench.json") ;;
      export) before="" args=(export Bench -o "$folder/out.json") ;;
      check) before="" args=(check Bench) ;;
      sql) before="" args=(sql Bench -o "$folder/out.sql") ;;
    esac
    read -r ns kib < <(measure "$cli" --dir "$folder" "${args[@]}")
    seconds[$command,$classes]=$ns
    awk -v c="$command" -v n="$classes" -v t="$ns" -v k="$kib" \
      'BEGIN { printf "%-8s %-8d %10.3f %10.1f\n", c, n, t / 1e9, k / 1024 }'
  done
  cmp -s "$folder/bench.json" "$folder/out.json" || echo "export differs from the imported file" >&2
done

echo
printf '%-8s %16s\n' command "10,000 / 1,000"
for command in import export check sql; do
  awk -v c="$command" -v a="${seconds[$command,1000]}" -v b="${seconds[$command,10000]}" \
    'BEGIN { printf "%-8s %15.1fx\n", c, b / a }'
done
