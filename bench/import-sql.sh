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

median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }

# time_ms COMMAND...: the median wall time of the command in milliseconds; each run starts from a
# catalogue without the imported project.
time_ms() {
  local times=()
  for i in $(seq "$runs"); do
    cp "$work/projects.mdb" "$work/run.mdb"
    local folder=$work/run$i
    mkdir -p "$folder"
    mv "$work/run.mdb" "$folder/projects.mdb"
    local start=$(date +%s%N)
    "$cli" --dir "$folder" "$@" >/dev/null || { echo "failed: corvanthel-cli $*" >&2; exit 1; }
    times+=("$(( ($(date +%s%N) - start) / 1000000 ))")
    rm -rf "$folder"
  done
  printf '%s\n' "${times[@]}" | median
}

sql_ms=$(time_ms sql Bench -o "$work/again.sql")
import_sql_ms=$(time_ms import-sql "$work/bench.sql" --project Imported)
printf '%-34s %8s\n' "command ($classes classes)" "ms"
printf '%-34s %8d\n' "sql (write the script)" "$sql_ms"
printf '%-34s %8d\n' "import-sql (read it back)" "$import_sql_ms"
if [ "$has_json" = 1 ]; then
  import_ms=$(time_ms import "$work/bench.json" --as Imported)
  printf '%-34s %8d\n' "import (the same project's JSON)" "$import_ms"
  awk -v a="$import_sql_ms" -v b="$import_ms" 'BEGIN { printf "import-sql / import: %.2fx (target: at most 2x)\n", a / b }'
else
  echo "(this build has no export/import commands: the JSON comparison is left out)"
fi
echo "(median of $runs runs; script $(wc -c <"$work/bench.sql") bytes)"
