# Shared by the bench scripts: the synthetic catalogue and the timing of one command.
# Source it first thing with `source "$(dirname "$0")/lib.sh"`: it stops the script on any
# error, moves to the repository root, takes the build folder from the script's first
# argument (default: build) and makes a work folder that goes when the script ends.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build_dir=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case $build_dir in /*) ;; *) build_dir=$PWD/$build_dir ;; esac
cli=$build_dir/bin/corvanthel-cli
[ -x "$cli" ] || { echo "no $cli: run scripts/build first" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed (scripts/install-deps)" >&2; exit 1; }
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

# make_folder FOLDER CLASSES: a program folder with the template and a catalogue holding
# the project Bench of CLASSES classes.
make_folder() {
  mkdir -p "$1"
  cp -r "$build_dir/bin/bak" "$1/bak"
  "$cli" --dir "$1" list >/dev/null  # creates the empty catalogue
  catalogue_sql "$2" | sqlite3 "$1/projects.mdb"
  # A run trusts the site's record of the catalogue only once the catalogue has gone unwritten for two
  # seconds, as a user's has by the time they start a run after an edit.
  sleep 2
}

# set_aside PATH: moves an earlier run's output out of the way without deleting it. Deleting
# many files just before a run makes some file systems (ext4) search past every recently
# freed inode on each create, which would time the deletion, not the command; the outputs
# set aside go when the script ends.
set_aside() {
  if [ -e "$1" ]; then
    mkdir -p "$work/aside"
    mv "$1" "$(mktemp -d "$work/aside/XXXXXX")/"
  fi
}

# The runner (bench/runner.c) times one command to the microsecond: user and system time from the
# kernel's accounting of the child, wall time from the monotonic clock, peak = largest resident set.
runner=$work/runner
cc -O2 -o "$runner" bench/runner.c

# sample NAME COMMAND...: one run of the command (after `prepare_NAME`, when that function exists,
# untimed); its wall, user, sys and cpu (user + sys) seconds are added to the samples of NAME, and
# its peak (KiB) raises NAME's peak. Commands sampled in turn (a, b, a, b, ...) share the machine's
# changing load alike, which consecutive runs of one command would not.
declare -A samples
sample() {
  local name=$1
  shift
  if declare -F "prepare_$name" >/dev/null; then "prepare_$name"; fi
  sync
  # With repeat_NAME set, the command runs that many times in a row and the sample is one run's average.
  local repeat="repeat_$name"
  "$runner" -n "${!repeat:-1}" "$@" 2>"$work/cost.txt" || { echo "failed: $*" >&2; cat "$work/cost.txt" >&2; exit 1; }
  local w u s k
  read -r w u s k < <(tail -1 "$work/cost.txt")
  samples[$name.wall]+=" $w"
  samples[$name.user]+=" $u"
  samples[$name.sys]+=" $s"
  samples[$name.cpu]+=" $(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.6f", u + s }')"
  [ "$k" -gt "${samples[$name.peak]:-0}" ] && samples[$name.peak]=$k
  return 0
}

# sample_median NAME FIELD: the median of NAME's samples of FIELD (wall, user, sys, cpu); peak: the largest.
sample_median() {
  if [ "$2" = peak ]; then
    echo "${samples[$1.peak]:-0}"
    return
  fi
  local values
  read -r -a values <<<"${samples[$1.$2]:-0}"
  printf '%s\n' "${values[@]}" | sort -g | sed -n "$(((${#values[@]} + 1) / 2))p"
}

# measure NAME COMMAND...: samples the command $runs times in a row and sets wall, cpu, user
# (seconds, medians), wall_ms (median wall time in milliseconds) and peak (largest resident set, KiB).
measure() {
  local name=$1
  shift
  unset "samples[$name.wall]" "samples[$name.user]" "samples[$name.sys]" "samples[$name.cpu]" "samples[$name.peak]"
  for _ in $(seq "$runs"); do sample "$name" "$@"; done
  wall=$(sample_median "$name" wall)
  cpu=$(sample_median "$name" cpu)
  user=$(sample_median "$name" user)
  wall_ms=$(awk -v w="$wall" 'BEGIN { printf "%d", w * 1000 + 0.5 }')
  peak=$(sample_median "$name" peak)
}
