#!/usr/bin/env bash
# Speed and memory of the observation merge program against baselines written directly on the
# Firebird client library. See bench/README.md.
#
#   bash bench/obsmerge_bench.sh [BUILD_FOLDER] [ROWS]             speed: embedded, server, slow link
#   bash bench/obsmerge_bench.sh --link [BUILD_FOLDER] [ROWS]      speed over the slow link only
#   bash bench/obsmerge_bench.sh --memory [BUILD_FOLDER] [ROWS]    peak memory, embedded
#
# BUILD_FOLDER defaults to build-bench (a Release build made here). ROWS counts the orders of the
# generated store in the speed run (default 100000) and the rows the merge selects in the memory
# run (default 1000000); with --link it counts the orders of the slow-link store. The slow link is
# the local server behind bench/delay_proxy, which delays each direction by
# MERGE_BENCH_LINK_DELAY milliseconds (default 1), on a store of MERGE_BENCH_LINK_ROWS orders
# (default 5000). MERGE_BENCH_NO_BUILD=1 uses the programs already in BUILD_FOLDER/bin as they
# are; MERGE_BENCH_REPEAT=N runs every speed measurement N times and keeps the fastest.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
mode=speed
if [ "${1:-}" = "--memory" ] || [ "${1:-}" = "--link" ]; then
  mode=${1#--}
  shift
fi
build=${1:-build-bench}
case "$build" in /*) ;; *) build=$root/$build ;; esac
link_delay=${MERGE_BENCH_LINK_DELAY:-1}
link_rows=${MERGE_BENCH_LINK_ROWS:-5000}
if [ "$mode" = memory ]; then rows=${2:-1000000}; else rows=${2:-100000}; fi
[ "$mode" = link ] && link_rows=${2:-$link_rows}

user=MERGEBENCH
password=vornikate   # the merge program's fixed password
baselines=$build/bin/merge_baselines
obsmerge=$build/bin/obsmerge
proxy=$build/bin/delay_proxy

fail() {
  echo "obsmerge_bench: $*" >&2
  exit 1
}

# --- programs ---------------------------------------------------------------------------------
if [ "${MERGE_BENCH_NO_BUILD:-0}" != 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target merge_baselines delay_proxy >"$build/bench-build.log" 2>&1 ||
    { tail -30 "$build/bench-build.log" >&2; fail "merge_baselines does not build (log: $build/bench-build.log)"; }
  cmake --build "$build" -j2 --target obsmerge >>"$build/bench-build.log" 2>&1 ||
    { echo "obsmerge_bench: obsmerge does not build (log: $build/bench-build.log); measuring without it" >&2
      rm -f "$obsmerge"; }
fi
[ -x "$baselines" ] || fail "no $baselines"
[ "$mode" = memory ] || [ -x "$proxy" ] || fail "no $proxy"
have_obsmerge=0
[ -x "$obsmerge" ] && have_obsmerge=1
[ "$mode" = memory ] && [ $have_obsmerge = 0 ] && fail "the memory run needs $obsmerge"
[ -x /usr/bin/time ] || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq time >/dev/null ||
  fail "/usr/bin/time is missing and could not be installed"

# --- work folder: embedded files, and a folder the server (user firebird) reads and writes -----
work=$(mktemp -d "${TMPDIR:-/tmp}/obsmerge-bench.XXXXXX")
chmod 755 "$work"
mkdir "$work/server"
keep_work=0
cleanup() { [ $keep_work = 1 ] || rm -rf "$work"; }
trap cleanup EXIT

# check_digest NAME DIGEST [STORE]: the first digest of a store is its reference; a different one
# stops the run, keeping the files for a look.
declare -A reference_digest
check_digest() {
  local name=$1 digest=$2 key=${3:-store}
  if [ -z "${reference_digest[$key]:-}" ]; then
    reference_digest[$key]=$digest
  elif [ "$digest" != "${reference_digest[$key]}" ]; then
    keep_work=1
    fail "RESULT MISMATCH: $name left digest '$digest', expected '${reference_digest[$key]}' (files kept in $work)"
  fi
}

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

# Peak resident memory in kB from a /usr/bin/time -v report.
peak_kb() { awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$1"; }

# run_obsmerge DATABASE REPORT_PREFIX: runs the program, its time report in PREFIX.time.
run_obsmerge() {
  local database=$1 prefix=$2 status=0
  /usr/bin/time -v -o "$prefix.time" "$obsmerge" "$database" "$user" </dev/null >"$prefix.out" 2>"$prefix.err" || status=$?
  if [ $status -ne 0 ]; then
    keep_work=1
    cat "$prefix.err" >&2
    fail "obsmerge \"$database\" $user ended with exit code $status (files kept in $work)"
  fi
  [ -s "$prefix.out" ] && echo "obsmerge_bench: warning: obsmerge wrote to the standard output" >&2
  return 0
}

# --- the stores ------------------------------------------------------------------------------
# generate FILE ORDERS [selected]: a store, readable by the benchmark user.
generate() {
  "$baselines" generate "$@"
  "$baselines" exec "$1" SYSDBA x "grant all on fatcppedido to user $user" >/dev/null
  "$baselines" exec "$1" SYSDBA x "grant all on fatobservpedido to user $user" >/dev/null
}
store=$work/store.fdb
link_store=$work/link-store.fdb
if [ "$mode" = memory ]; then
  echo "Generating the store: orders for $rows selected rows ..." >&2
  generate "$store" "$rows" selected
elif [ "$mode" = link ]; then
  store=$link_store
else
  echo "Generating the store: $rows orders ..." >&2
  generate "$store" "$rows"
fi
if [ "$mode" != memory ]; then
  echo "Generating the slow-link store: $link_rows orders ..." >&2
  generate "$link_store" "$link_rows"
  read -r link_selected _ < <("$baselines" count "$link_store" SYSDBA x)
fi
read -r selected selected_bytes < <("$baselines" count "$store" SYSDBA x)
echo "Selected for the merge: $selected rows, $selected_bytes bytes of values" >&2

# ============================================================================ memory ==========
if [ "$mode" = memory ]; then
  cp "$store" "$work/full.fdb"
  cp "$store" "$work/empty.fdb"
  "$baselines" exec "$work/empty.fdb" SYSDBA x "update fatcppedido set cpe_status = 'F'" >/dev/null
  read -r empty_selected _ < <("$baselines" count "$work/empty.fdb" SYSDBA x)
  [ "$empty_selected" = 0 ] || fail "the empty-result copy still selects $empty_selected rows"

  echo "obsmerge over the empty result ..." >&2
  run_obsmerge "$work/empty.fdb" "$work/empty"
  echo "obsmerge over $selected rows ..." >&2
  start=$(now)
  run_obsmerge "$work/full.fdb" "$work/full"
  seconds=$(elapsed "$start" "$(now)")

  cp "$store" "$work/setbased.fdb"
  "$baselines" setbased "$work/setbased.fdb" "$user" "$password" >/dev/null
  check_digest "set-based UPDATE" "$("$baselines" digest "$work/setbased.fdb" "$user" "$password")"
  check_digest "obsmerge" "$("$baselines" digest "$work/full.fdb" "$user" "$password")"

  empty_kb=$(peak_kb "$work/empty.time")
  full_kb=$(peak_kb "$work/full.time")
  awk -v rows="$rows" -v sel="$selected" -v bytes="$selected_bytes" -v e="$empty_kb" -v f="$full_kb" -v s="$seconds" 'BEGIN {
    diff = (f - e) * 1024
    printf "Observation merge memory, embedded: %d rows merged in %.1f s\n", sel, s
    printf "  peak memory, empty result      %10.1f MB\n", e / 1024
    printf "  peak memory, %8d rows      %10.1f MB\n", sel, f / 1024
    printf "  difference                     %10.1f MB\n", diff / 1048576
    printf "  size of the selected values    %10.1f MB\n", bytes / 1048576
    printf "  difference / selected values   %10.2f   (target: under 2.50)\n", diff / bytes
  }'
  exit 0
fi

# ============================================================================ speed ===========
# The local server, and the benchmark user with the program's password on it.
if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
  bash "$root/tests/firebird-server.sh" start
  (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null || fail "no Firebird server on localhost:3050"
fi
chown firebird:firebird "$work/server"
chmod 770 "$work/server"
sysdba_password=$(. /etc/firebird/3.0/SYSDBA.password && echo "$ISC_PASSWORD")
cp "$store" "$work/server/admin.fdb"
chown firebird:firebird "$work/server/admin.fdb"
"$baselines" exec "localhost:$work/server/admin.fdb" SYSDBA "$sysdba_password" \
  "create or alter user $user password '$password'" >/dev/null

# The set-based UPDATE runs first, so that its result, the database's own, is the reference.
approaches=(setbased literal prepared obsmerge)
declare -A label=(
  [obsmerge]="1 obsmerge"
  [literal]="2 statement text per row"
  [prepared]="3 UPDATE prepared once"
  [setbased]="4 one set-based UPDATE"
)
declare -A seconds peak turns sends

# The delay proxy in front of the local server, one per measured run, so that its counts are the
# run's own. start_proxy sets proxy_port; stop_proxy leaves the counts in $work/proxy.stats.
start_proxy() {
  rm -f "$work/proxy.stats" "$work/proxy.out"
  "$proxy" "$link_delay" --stats "$work/proxy.stats" --lifetime 1800 >"$work/proxy.out" &
  proxy_pid=$!
  local tries=0
  until grep -q '^port ' "$work/proxy.out" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 200 ] || fail "the delay proxy did not start"
    sleep 0.05
  done
  proxy_port=$(awk '/^port / { print $2 }' "$work/proxy.out")
}
stop_proxy() {
  kill -TERM "$proxy_pid"
  wait "$proxy_pid" || fail "the delay proxy failed"
}
proxy_count() { awk -v name="$1" '$1 == name { print $2 }' "$work/proxy.stats"; }

# measure APPROACH SIDE: copies the side's store, runs the approach on the copy, checks its
# result; keeps the fastest of the repeated runs. SIDE: embedded, server or link (the server
# through the delay proxy).
repeat=${MERGE_BENCH_REPEAT:-1}
measure() {
  local approach=$1 side=$2 file database merged start stop time round source=$store expected=$selected key=store
  if [ "$side" = link ]; then source=$link_store; expected=$link_selected; key=link; fi
  for round in $(seq 1 "$repeat"); do
    if [ "$side" = embedded ]; then
      file=$work/$approach.fdb
      cp "$source" "$file"
      database=$file
    else
      file=$work/server/$approach.fdb
      cp "$source" "$file"
      chown firebird:firebird "$file"
      database=localhost:$file
    fi
    if [ "$side" = link ]; then
      start_proxy
      database=127.0.0.1/$proxy_port:$file
    fi
    echo "  $side: ${label[$approach]} ..." >&2
    if [ "$approach" = obsmerge ]; then
      start=$(now)
      run_obsmerge "$database" "$work/obsmerge-$side"
      stop=$(now)
      peak[$side]=$(peak_kb "$work/obsmerge-$side.time")
    else
      start=$(now)
      merged=$("$baselines" "$approach" "$database" "$user" "$password") ||
        { keep_work=1; fail "$approach on $database failed (files kept in $work)"; }
      stop=$(now)
      [ "$merged" = "$expected" ] || fail "$approach merged $merged rows, $expected are selected"
    fi
    time=$(elapsed "$start" "$stop")
    if [ "$side" = link ]; then
      stop_proxy
      turns[$approach]=$(proxy_count turns)
      sends[$approach]=$(proxy_count client_sends)
      database=localhost:$file
    fi
    if [ -z "${seconds[$approach,$side]:-}" ] || awk -v a="$time" -v b="${seconds[$approach,$side]}" 'BEGIN { exit !(a < b) }'; then
      seconds[$approach,$side]=$time
    fi
    check_digest "${label[$approach]} ($side)" "$("$baselines" digest "$database" "$user" "$password")" "$key"
    rm -f "$file"
  done
}

[ $have_obsmerge = 1 ] || approaches=(setbased literal prepared)
sides=(embedded server link)
[ "$mode" = link ] && sides=(link)
for side in "${sides[@]}"; do
  for approach in "${approaches[@]}"; do measure "$approach" "$side"; done
done
if [ "$selected" -gt 0 ] && [ "${reference_digest[store]:-${reference_digest[link]}}" = "$("$baselines" digest "$store" "$user" "$password")" ]; then
  fail "no approach changed the store"
fi

if [ "$mode" != link ]; then
  echo
  echo "Observation merge: $rows orders, $selected rows merged, $(nproc) cores"
  printf "%-26s %12s %12s %12s %12s %14s %12s\n" approach "embedded s" "rows/s" "server s" "rows/s" \
    "ratio emb." "ratio srv."
  for approach in obsmerge literal prepared setbased; do
    [ -n "${seconds[$approach,embedded]:-}" ] || continue
    awk -v name="${label[$approach]}" -v n="$selected" -v e="${seconds[$approach,embedded]}" \
        -v s="${seconds[$approach,server]}" -v me="${seconds[obsmerge,embedded]:-}" -v ms="${seconds[obsmerge,server]:-}" 'BEGIN {
      re = me == "" ? "-" : sprintf("%.2f", e / me)
      rs = ms == "" ? "-" : sprintf("%.2f", s / ms)
      printf "%-26s %12.2f %12.0f %12.2f %12.0f %14s %12s\n", name, e, n / e, s, n / s, re, rs
    }'
  done
  echo "ratio = that approach's time / obsmerge's time (above 1: obsmerge is faster)"
  if [ $have_obsmerge = 1 ]; then
    awk -v e="${peak[embedded]}" -v s="${peak[server]}" \
      'BEGIN { printf "obsmerge peak memory: embedded %.1f MB, server %.1f MB\n", e / 1024, s / 1024 }'
  else
    echo "obsmerge: not built, not measured"
  fi
fi

echo
echo "Slow link: the local server behind a proxy delaying each direction by $link_delay ms;" \
  "$link_rows orders, $link_selected rows merged"
printf "%-26s %10s %10s %14s %14s %12s\n" approach "seconds" "rows/s" "turns/row" "sends/row" "ratio"
for approach in obsmerge literal prepared setbased; do
  [ -n "${seconds[$approach,link]:-}" ] || continue
  awk -v name="${label[$approach]}" -v n="$link_selected" -v t="${seconds[$approach,link]}" \
      -v turns="${turns[$approach]}" -v sends="${sends[$approach]}" -v m="${seconds[obsmerge,link]:-}" 'BEGIN {
    r = m == "" ? "-" : sprintf("%.2f", t / m)
    printf "%-26s %10.2f %10.0f %14.3f %14.3f %12s\n", name, t, n / t, turns / n, sends / n, r
  }'
done
echo "turns = the client's round trips as the proxy sees them (a send after an answer), per merged row;"
echo "sends = the client's sends; both for the whole process, connection included"
