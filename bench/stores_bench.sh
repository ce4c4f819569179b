#!/usr/bin/env bash
# Speed of obsmerge-lojas over many stores behind a slow link: STORES copies of a generated store
# on the local server, each reached through bench/delay_proxy (DELAY ms added to each direction),
# merged with --jobs 1, 4 and 16. See bench/README.md.
#
#   bash bench/stores_bench.sh [BUILD_FOLDER] [STORES] [ORDERS]
#
# BUILD_FOLDER defaults to build (its programs are built there when missing or old); STORES to
# 40; ORDERS, the orders of each store, to 500. STORES_BENCH_DELAY sets the delay in milliseconds
# (default 20); STORES_BENCH_JOBS the list of --jobs values (default "1 4 16").
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build=$root/$build ;; esac
stores=${2:-40}
orders=${3:-500}
delay=${STORES_BENCH_DELAY:-20}
jobs_list=${STORES_BENCH_JOBS:-1 4 16}
user=MERGEBENCH
password=vornikate # the merge program's fixed password

fail() {
  echo "stores_bench: $*" >&2
  exit 1
}

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target obsmerge-lojas obsmerge morvanta_bench_merge_baselines morvanta_bench_delay_proxy >"$build/stores-bench-build.log" 2>&1 ||
  { tail -30 "$build/stores-bench-build.log" >&2; fail "the programs do not build (log: $build/stores-bench-build.log)"; }
runner=$build/bin/obsmerge-lojas
baselines=$build/bin/merge_baselines
proxy=$build/bin/delay_proxy

if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
  bash "$root/tests/firebird-server.sh" start
  (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null || fail "no Firebird server on localhost:3050"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/stores-bench.XXXXXX")
chmod 755 "$work"
mkdir "$work/server"
chown firebird:firebird "$work/server"
chmod 770 "$work/server"
proxy_pid=
cleanup() {
  [ -z "$proxy_pid" ] || kill -TERM "$proxy_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "Generating a store of $orders orders ..." >&2
"$baselines" generate "$work/store.fdb" "$orders"
"$baselines" exec "$work/store.fdb" SYSDBA x "grant all on fatcppedido to user $user" >/dev/null
"$baselines" exec "$work/store.fdb" SYSDBA x "grant all on fatobservpedido to user $user" >/dev/null
read -r selected _ < <("$baselines" count "$work/store.fdb" SYSDBA x)
sysdba_password=$(. /etc/firebird/3.0/SYSDBA.password && echo "$ISC_PASSWORD")
cp "$work/store.fdb" "$work/server/admin.fdb"
chown firebird:firebird "$work/server/admin.fdb"
"$baselines" exec "localhost:$work/server/admin.fdb" SYSDBA "$sysdba_password" \
  "create or alter user $user password '$password'" >/dev/null

"$proxy" "$delay" --lifetime 3600 >"$work/proxy.out" &
proxy_pid=$!
for _ in $(seq 1 200); do grep -q '^port ' "$work/proxy.out" 2>/dev/null && break; sleep 0.05; done
port=$(awk '/^port / { print $2 }' "$work/proxy.out")
[ -n "$port" ] || fail "the delay proxy did not start"

declare -A seconds
for jobs in $jobs_list; do
  list=$work/lojas-$jobs.csv
  echo "loja;banco;usuario" >"$list"
  for i in $(seq -w 1 "$stores"); do
    file=$work/server/loja-$i.fdb
    cp "$work/store.fdb" "$file"
    chown firebird:firebird "$file"
    echo "loja-$i;127.0.0.1/$port:$file;$user" >>"$list"
  done
  echo "obsmerge-lojas --jobs $jobs over $stores stores ..." >&2
  start=$(date +%s.%N)
  status=0
  "$runner" --jobs "$jobs" --report "$work/report-$jobs" "$list" >"$work/summary-$jobs.txt" 2>"$work/progress-$jobs.txt" ||
    status=$?
  stop=$(date +%s.%N)
  [ $status = 0 ] || { cat "$work/summary-$jobs.txt" >&2; fail "obsmerge-lojas --jobs $jobs ended with exit code $status"; }
  ok=$(grep -c ",$selected,0,0,[0-9.]*,ok," "$work/report-$jobs/report.csv" || true)
  [ "$ok" = "$stores" ] || fail "--jobs $jobs: $ok of $stores stores merged $selected rows with nothing left"
  seconds[$jobs]=$(awk -v a="$start" -v b="$stop" 'BEGIN { printf "%.2f", b - a }')
  rm -f "$work"/server/loja-*.fdb
done

echo
echo "obsmerge-lojas: $stores stores of $orders orders ($selected rows merged each), each direction of the link" \
  "delayed by $delay ms, $(nproc) cores"
printf "%-8s %12s %16s %10s\n" "--jobs" "wall s" "stores/minute" "speed-up"
first=${jobs_list%% *}
for jobs in $jobs_list; do
  awk -v j="$jobs" -v s="${seconds[$jobs]}" -v n="$stores" -v f="${seconds[$first]}" \
    'BEGIN { printf "%-8s %12.2f %16.1f %10.2f\n", j, s, n * 60 / s, f / s }'
done
