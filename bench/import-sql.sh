#!/usr/bin/env bash
# Times `corvanthel-cli import-sql` on the table script of the 1,000-class benchmark project (20 members
# per class, one in ten a reference), next to `sql` writing that script, and next to `import` of the same
# project's JSON when the command line has `export` and `import`.
# Usage: bench/import-sql.sh [BUILD_DIR]   (default: build; run scripts/build first)
# cli, work, and catalogue_sql N: the SQL of a catalogue with one project "Bench" of N classes.
source "$(dirname "$0")/lib.sh"
runs=${RUNS:-5}
classes=${CLASSES:-1000}

"$cli" --dir "$work" list >/dev/null  # creates the empty catalogue
catalogue_sql "$classes" | sqlite3 "$work/projects.mdb"
"$cli" --dir "$work" sql Bench -o "$work/bench.sql"
has_json=0
if "$cli" --help 2>/dev/null | grep -q ' export ' && "$cli" --dir "$work" export Bench -o "$work/bench.json" >/dev/null 2>&1; then
  has_json=1
fi

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
peak_kib=0  # the largest resident set of the last time_ms, KiB
median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }

# time_ms COMMAND...: the median wall time of the command in milliseconds; each run starts from a
# catalogue without the imported project.
time_ms() {
  local times=()
  peak_kib=0
  for i in $(seq "$runs"); do
    cp "$work/projects.mdb" "$work/run.mdb"
    local folder=$work/run$i
    mkdir -p "$folder"
    mv "$work/run.mdb" "$folder/projects.mdb"
    local start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/peak.txt" "$cli" --dir "$folder" "$@" >/dev/null ||
      { echo "failed: corvanthel-cli $*" >&2; exit 1; }
    times+=("$(( ($(date +%s%N) - start) / 1000000 ))")
    local kib=$(tail -1 "$work/peak.txt")
    [ "$kib" -gt "$peak_kib" ] && peak_kib=$kib
    rm -rf "$folder"
  done
  printf '%s\n' "${times[@]}" | median
}

# time_ms runs in this shell (not in $(...)) so that its peak reaches the table.
time_ms sql Bench -o "$work/again.sql" >"$work/ms.txt"
sql_ms=$(cat "$work/ms.txt") sql_peak=$peak_kib
time_ms import-sql "$work/bench.sql" --project Imported >"$work/ms.txt"
import_sql_ms=$(cat "$work/ms.txt") import_sql_peak=$peak_kib
printf '%-34s %8s %9s\n' "command ($classes classes)" "ms" "peak MiB"
printf '%-34s %8d %9.1f\n' "sql (write the script)" "$sql_ms" "$(mib "$sql_peak")"
printf '%-34s %8d %9.1f\n' "import-sql (read it back)" "$import_sql_ms" "$(mib "$import_sql_peak")"
if [ "$has_json" = 1 ]; then
  time_ms import "$work/bench.json" --as Imported >"$work/ms.txt"
  import_ms=$(cat "$work/ms.txt")
  printf '%-34s %8d %9.1f\n' "import (the same project's JSON)" "$import_ms" "$(mib "$peak_kib")"
  awk -v a="$import_sql_ms" -v b="$import_ms" 'BEGIN { printf "import-sql / import: %.2fx (target: at most 2x)\n", a / b }'
else
  echo "(this build has no export/import commands: the JSON comparison is left out)"
fi
echo "(median of $runs runs; script $(wc -c <"$work/bench.sql") bytes)"
