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

# The catalogue's SQL: every class has an integer key, a display member, 16 more
# members of the five types, and two references to earlier classes (10%).
catalogue_sql() {
  awk -v n="$1" 'BEGIN {
    q = "\x27";
    print "begin;";
    print "insert into t_project(projectName) values (" q "Bench" q ");";
    split("字符串 整型 浮点型 日期型 图片型", types, " ");
    cols = "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,memberComment," \
           "memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,memberQueryDisplay) values ";
    for (c = 1; c <= n; c++) {
      printf "insert into t_class(projectId,className,friendName) values (1,%sC%d%s,%s类%d%s);\n", q, c, q, q, c, q;
      printf "%s(1,%d,%sid%s,%s整型%s,0,1,%s编号%s,1,1,0,0,0,1);\n", cols, c, q, q, q, q, q, q;
      printf "%s(1,%d,%sname%s,%s字符串%s,50,0,%s名称%s,1,0,0,1,1,1);\n", cols, c, q, q, q, q, q, q;
      for (m = 3; m <= 20; m++) {
        if (m >= 19 && c > 1) {
          target = 1 + (c * 7 + m) % (c - 1);
          printf "%s(1,%d,%sref%d%s,%sC%d%s,0,0,%s引用%s,1,0,0,0,0,1);\n", cols, c, q, m, q, q, target, q, q, q;
        } else {
          t = types[(m % 5) + 1];
          printf "%s(1,%d,%sm%d%s,%s%s%s,%d,0,%s成员%d%s,1,%d,%d,0,0,1);\n", cols, c, q, m, q, q, t, q,
                 (t == "字符串") ? 20 : 0, q, m, q, (t == "整型"), (t == "浮点型");
        }
      }
    }
    print "commit;";
  }'
}

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
