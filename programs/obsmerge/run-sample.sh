#!/usr/bin/env bash
# Installs what is missing, builds the project, creates an embedded sample store database when
# there is none, runs the observation merge on it and shows the observations before and after.
#   bash programs/obsmerge/run-sample.sh [DATABASE_FILE]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
database=${1:-$root/build/sample-store.fdb}

bash "$root/tests/setup.sh"
cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target obsmerge

show() {
  echo "$1"
  printf "SET LIST OFF;\nSELECT o.lja_codigo, o.cpe_codigo, p.cpe_status, CAST(o.obs_observ AS VARCHAR(60)) AS obs_observ, CAST(o.obs_temp AS VARCHAR(40)) AS obs_temp FROM fatobservpedido o JOIN fatcppedido p ON p.lja_codigo = o.lja_codigo AND p.cpe_codigo = o.cpe_codigo ORDER BY 1, 2;\n" |
    isql-fb -q -ch UTF8 -user SYSDBA "$database"
}

if [ ! -f "$database" ]; then
  mkdir -p "$(dirname "$database")"
  { echo "CREATE DATABASE '$database' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;"; cat "$root/programs/obsmerge/sample-store.sql"; } |
    isql-fb -q -ch UTF8
fi

show "Before:"
status=0
"$root/build/bin/obsmerge" "$database" SYSDBA </dev/null || status=$?
echo "obsmerge exit code: $status"
show "After:"
