#!/usr/bin/env bash
# Speed and memory of the observation merge program against baselines written directly on the
# Firebird client library, on stores of several shapes and over several links. See bench/README.md.
#
#   bash bench/obsmerge_bench.sh [BUILD_FOLDER] [ROWS]             speed: every shape on every link
#   bash bench/obsmerge_bench.sh --link [BUILD_FOLDER] [ORDERS]    speed over the two proxied links only
#   bash bench/obsmerge_bench.sh --memory [BUILD_FOLDER] [ROWS]    peak memory, embedded
#
# BUILD_FOLDER defaults to build-bench (a Release build made here). In the speed run, ROWS counts
# the orders of the stores merged embedded and through the local server (default: 100000 for the
# generated store, 10000 for "long", 30000 for the others) and ORDERS those of the stores merged
# over the proxied links (MERGE_BENCH_LINK_ROWS, default 3000); in the memory run ROWS counts the
# rows the merge selects (default 1000000). Environment:
#   MERGE_BENCH_SHAPES     the stores, a blank-separated choice of: generated note250 short long
#                          mixed utf8 blobtemp (default: all of them)
#   MERGE_BENCH_LINKS      the links, a choice of: embedded server 1ms 20ms (default: all); 1ms and
#                          20ms are the local server behind bench/delay_proxy, 1 ms each way, or
#                          20 ms each way with each direction capped at 8 Mbit/s
#   MERGE_BENCH_WIRE       plain (default), compressed, or both (each run plain, then compressed):
#                          wire compression through the client's configuration
#   MERGE_BENCH_ROW_BASELINES  the shapes whose per-row baselines also run on the server and the
#                          1 ms link ("all", "none"; default: generated); embedded they always run,
#                          on the 20 ms link never
#   MERGE_BENCH_REPEAT=N   every speed measurement N times, the fastest kept
#   MERGE_BENCH_NO_BUILD=1 the programs already in BUILD_FOLDER/bin as they are
#   MERGE_BENCH_RUN_LIMIT  seconds after which a run is stopped as hung (default 900)
#   MERGE_BENCH_CLIENT_ROOT the installed client's files, copied for the compressed runs
#                          (default: the Debian client's)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
mode=speed
if [ "${1:-}" = "--memory" ] || [ "${1:-}" = "--link" ]; then
  mode=${1#--}
  shift
fi
build=${1:-build-bench}
case "$build" in /*) ;; *) build=$root/$build ;; esac
link_rows=${MERGE_BENCH_LINK_ROWS:-3000}
shapes=(${MERGE_BENCH_SHAPES:-generated note250 short long mixed utf8 blobtemp})
links=(${MERGE_BENCH_LINKS:-embedded server 1ms 20ms})
case "${MERGE_BENCH_WIRE:-plain}" in
  plain) wires=(plain) ;;
  compressed) wires=(compressed) ;;
  both) wires=(plain compressed) ;;
  *) echo "obsmerge_bench: MERGE_BENCH_WIRE is plain, compressed or both" >&2; exit 2 ;;
esac
row_baselines=${MERGE_BENCH_ROW_BASELINES:-generated}
rows=${2:-}
if [ "$mode" = link ]; then
  link_rows=${2:-$link_rows}
  rows=
  links=(1ms 20ms)
fi
[ "$mode" = memory ] && rows=${2:-1000000}

user=MERGEBENCH
password=vornikate   # the merge program's fixed password
baselines=$build/bin/merge_baselines
obsmerge=$build/bin/obsmerge
proxy=$build/bin/delay_proxy

run_limit=${MERGE_BENCH_RUN_LIMIT:-900}  # seconds a run may take before it counts as hung

fail() {
  echo "obsmerge_bench: $*" >&2
  exit 1
}

# --- programs ---------------------------------------------------------------------------------
if [ "${MERGE_BENCH_NO_BUILD:-0}" != 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target morvanta_bench_merge_baselines morvanta_bench_delay_proxy >"$build/bench-build.log" 2>&1 ||
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

# A client root whose configuration asks for wire compression: the installed client's files, with
# "WireCompression = true" added to its firebird.conf; the client finds it through FIREBIRD.
client_root=${MERGE_BENCH_CLIENT_ROOT:-/usr/lib/x86_64-linux-gnu/firebird/3.0}  # the Debian client
compressed_root=$work/client-compressed
make_compressed_root() {
  [ -d "$compressed_root" ] && return 0
  [ -f "$client_root/firebird.conf" ] || fail "no client configuration in $client_root"
  mkdir "$compressed_root"
  local entry
  for entry in "$client_root"/*; do
    [ "$(basename "$entry")" = firebird.conf ] || ln -s "$entry" "$compressed_root/"
  done
  { cat "$client_root/firebird.conf"; echo "WireCompression = true"; } >"$compressed_root/firebird.conf"
}
# on_wire WIRE COMMAND...: runs COMMAND with the client's wire plain or compressed.
on_wire() {
  local wire=$1
  shift
  if [ "$wire" = compressed ]; then FIREBIRD=$compressed_root "$@"; else "$@"; fi
}

# run_obsmerge WIRE DATABASE REPORT_PREFIX: runs the program, its time report in PREFIX.time.
run_obsmerge() {
  local wire=$1 database=$2 prefix=$3 status=0
  on_wire "$wire" timeout "$run_limit" /usr/bin/time -v -o "$prefix.time" "$obsmerge" "$database" "$user" </dev/null >"$prefix.out" \
    2>"$prefix.err" || status=$?
  if [ $status -ne 0 ]; then
    keep_work=1
    cat "$prefix.err" >&2
    fail "obsmerge \"$database\" $user ended with exit code $status (files kept in $work)"
  fi
  [ -s "$prefix.out" ] && echo "obsmerge_bench: warning: obsmerge wrote to the standard output" >&2
  return 0
}

# --- the stores ------------------------------------------------------------------------------
# generate FILE ORDERS [selected] [SHAPE]: a store, readable by the benchmark user.
generate() {
  "$baselines" generate "$@"
  "$baselines" exec "$1" SYSDBA x "grant all on fatcppedido to user $user" >/dev/null
  "$baselines" exec "$1" SYSDBA x "grant all on fatobservpedido to user $user" >/dev/null
}

# ============================================================================ memory ==========
if [ "$mode" = memory ]; then
  store=$work/store.fdb
  echo "Generating the store: orders for $rows selected rows ..." >&2
  generate "$store" "$rows" selected
  read -r selected selected_bytes < <("$baselines" count "$store" SYSDBA x)
  echo "Selected for the merge: $selected rows, $selected_bytes bytes of values" >&2
  cp "$store" "$work/full.fdb"
  cp "$store" "$work/empty.fdb"
  "$baselines" exec "$work/empty.fdb" SYSDBA x "update fatcppedido set cpe_status = 'F'" >/dev/null
  read -r empty_selected _ < <("$baselines" count "$work/empty.fdb" SYSDBA x)
  [ "$empty_selected" = 0 ] || fail "the empty-result copy still selects $empty_selected rows"

  echo "obsmerge over the empty result ..." >&2
  run_obsmerge plain "$work/empty.fdb" "$work/empty"
  echo "obsmerge over $selected rows ..." >&2
  start=$(now)
  run_obsmerge plain "$work/full.fdb" "$work/full"
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
declare -A link_delay=([1ms]=1 [20ms]=20) link_bandwidth=([1ms]=0 [20ms]=1000000)
declare -A link_title=([embedded]="embedded" [server]="local server" [1ms]="1 ms each way"
  [20ms]="20 ms each way, 8 Mbit/s")
for link in "${links[@]}"; do [ -n "${link_title[$link]:-}" ] || fail "unknown link '$link'"; done
for shape in "${shapes[@]}"; do
  "$baselines" generate "$work/probe.fdb" 1 "$shape" 2>/dev/null || fail "unknown shape '$shape'"
  rm -f "$work/probe.fdb"
done
[ "${wires[*]}" = plain ] || make_compressed_root

# The local server, and the benchmark user with the program's password on it.
if [ "${links[*]}" != embedded ]; then
  if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
    bash "$root/tests/firebird-server.sh" start
    (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null || fail "no Firebird server on localhost:3050"
  fi
  chown firebird:firebird "$work/server"
  chmod 770 "$work/server"
  sysdba_password=$(. /etc/firebird/3.0/SYSDBA.password && echo "$ISC_PASSWORD")
  "$baselines" generate "$work/server/admin.fdb" 1
  chown firebird:firebird "$work/server/admin.fdb"
  "$baselines" exec "localhost:$work/server/admin.fdb" SYSDBA "$sysdba_password" \
    "create or alter user $user password '$password'" >/dev/null
  if [ "${wires[*]}" != plain ]; then
    [ "$(on_wire compressed "$baselines" wire "localhost:$work/server/admin.fdb" SYSDBA "$sysdba_password")" = \
      compressed ] || fail "the client's configuration does not compress the wire (is zlib installed?)"
  fi
fi

# The delay proxy in front of the local server, one per measured run, so that its counts are the
# run's own. start_proxy LINK sets proxy_port; stop_proxy leaves the counts in $work/proxy.stats.
start_proxy() {
  rm -f "$work/proxy.stats" "$work/proxy.out"
  "$proxy" "${link_delay[$1]}" --bandwidth "${link_bandwidth[$1]}" --stats "$work/proxy.stats" --lifetime 1800 \
    >"$work/proxy.out" &
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

declare -A label=(
  [obsmerge]="obsmerge"
  [literal]="statement text per row"
  [prepared]="UPDATE prepared once"
  [setbased]="one set-based UPDATE"
)
# Results by "approach,shape,link,wire"; merged rows and orders by "shape,link".
declare -A seconds turns sends bytes peak merged orders_of

# measure APPROACH SHAPE LINK WIRE: copies the store, runs the approach on the copy, checks its
# result against the set-based UPDATE's (which runs first); keeps the fastest of the repeats.
measure() {
  local approach=$1 shape=$2 link=$3 wire=$4 file database count start stop time source key=$1,$2,$3,$4
  local size
  size=$(store_size "$link")
  source=$work/$shape-$size.fdb
  # A new name for every run: the server never meets a file it may still be closing.
  runs=$((runs + 1))
  file=$work/$approach-$runs.fdb
  [ "$link" = embedded ] || file=$work/server/$approach-$runs.fdb
  cp "$source" "$file"
  database=$file
  if [ "$link" != embedded ]; then
    chown firebird:firebird "$file"
    database=localhost:$file
  fi
  [ "$size" = link ] && { start_proxy "$link"; database=127.0.0.1/$proxy_port:$file; }
  echo "  $shape, ${link_title[$link]}, $wire: ${label[$approach]} ..." >&2
  start=$(now)
  if [ "$approach" = obsmerge ]; then
    run_obsmerge "$wire" "$database" "$work/obsmerge"
    stop=$(now)
    peak[$key]=$(peak_kb "$work/obsmerge.time")
  else
    count=$(on_wire "$wire" timeout "$run_limit" "$baselines" "$approach" "$database" "$user" "$password") ||
      { keep_work=1; fail "$approach on $database failed (files kept in $work)"; }
    stop=$(now)
    [ "$count" = "${merged[$shape,$size]}" ] || fail "$approach merged $count rows, ${merged[$shape,$size]} are selected"
  fi
  time=$(elapsed "$start" "$stop")
  if [ "$size" = link ]; then
    stop_proxy
    turns[$key]=$(proxy_count turns)
    sends[$key]=$(proxy_count client_sends)
    bytes[$key]=$(($(proxy_count client_bytes) + $(proxy_count server_bytes)))
    database=localhost:$file
  fi
  if [ -z "${seconds[$key]:-}" ] || awk -v a="$time" -v b="${seconds[$key]}" 'BEGIN { exit !(a < b) }'; then
    seconds[$key]=$time
  fi
  check_digest "${label[$approach]} ($shape, $link, $wire)" "$("$baselines" digest "$database" "$user" "$password")" \
    "$shape,$size"
  rm -f "$file"
}

# The approaches measured on a shape and link: the per-row baselines only where they end in
# reasonable time.
approaches_for() {
  local shape=$1 link=$2 list="setbased"
  [ $have_obsmerge = 1 ] && list="$list obsmerge"
  case "$link" in
    embedded) list="$list literal prepared" ;;
    server | 1ms)
      if [ "$row_baselines" = all ] || [[ " $row_baselines " == *" $shape "* ]]; then list="$list literal prepared"; fi ;;
  esac
  echo "$list"
}

# The store a link merges: the full-size one embedded and on the server, the small one over the
# proxied links.
store_size() { case "$1" in 1ms | 20ms) echo link ;; *) echo full ;; esac; }

# The wires a link is measured with: the embedded engine has none.
wires_for() { if [ "$1" = embedded ]; then echo plain; else echo "${wires[@]}"; fi; }

default_orders() {
  case "$1" in generated) echo 100000 ;; long) echo 10000 ;; *) echo 30000 ;; esac
}

repeat=${MERGE_BENCH_REPEAT:-1}
runs=0
load_at_start=$(cut -d' ' -f1 /proc/loadavg)
started=$(now)
for shape in "${shapes[@]}"; do
  for size in full link; do
    needed=0
    for link in "${links[@]}"; do [ "$(store_size "$link")" = $size ] && needed=1; done
    [ $needed = 1 ] || continue
    n=$link_rows
    [ $size = full ] && n=${rows:-$(default_orders "$shape")}
    echo "Generating the $shape store: $n orders ..." >&2
    generate "$work/$shape-$size.fdb" "$n" "$shape"
    read -r merged[$shape,$size] _ < <("$baselines" count "$work/$shape-$size.fdb" SYSDBA x)
    orders_of[$shape,$size]=$n
  done
  for link in "${links[@]}"; do
    for approach in $(approaches_for "$shape" "$link"); do
      for round in $(seq 1 "$repeat"); do
        for wire in $(wires_for "$link"); do measure "$approach" "$shape" "$link" "$wire"; done
      done
    done
  done
  rm -f "$work/$shape-full.fdb" "$work/$shape-link.fdb"
done
total=$(elapsed "$started" "$(now)")

# --- the tables, in Markdown ---------------------------------------------------------------------
echo
echo "Observation merge, $(date -u +%Y-%m-%d), $(nproc) cores, load average $load_at_start at the start;" \
  "each figure the fastest of $repeat; the whole run took $(printf %.0f "$total") s."
echo
# each_run COMMAND: runs COMMAND once for every shape, link and wire measured, with shape, link,
# wire and size set.
each_run() {
  for shape in "${shapes[@]}"; do
    for link in "${links[@]}"; do
      size=$(store_size "$link")
      for wire in $(wires_for "$link"); do "$1"; done
    done
  done
}

merge_row() {
  local key=$shape,$link,$wire
  awk -v shape="$shape" -v link="${link_title[$link]}" -v wire="$wire" -v orders="${orders_of[$shape,$size]}" \
      -v n="${merged[$shape,$size]}" -v m="${seconds[obsmerge,$key]:-}" -v s="${seconds[setbased,$key]}" \
      -v turns="${turns[obsmerge,$key]:-}" -v sends="${sends[obsmerge,$key]:-}" \
      -v bytes="${bytes[obsmerge,$key]:-}" -v peak="${peak[obsmerge,$key]:-}" 'BEGIN {
    printf "| %s | %s | %s | %d | %d | %s | %.2f | %s | %s | %s | %s | %s |\n", shape, link, wire, orders, n,
      m == "" ? "-" : sprintf("%.2f", m), s, m == "" ? "-" : sprintf("%.2f", m / s),
      turns == "" ? "-" : sprintf("%.3f", turns / n), sends == "" ? "-" : sprintf("%.3f", sends / n),
      bytes == "" ? "-" : sprintf("%.0f", bytes / n), peak == "" ? "-" : sprintf("%.1f", peak / 1024)
  }'
}

baseline_rows() {
  local approach key
  for approach in literal prepared; do
    key=$approach,$shape,$link,$wire
    [ -n "${seconds[$key]:-}" ] || continue
    awk -v shape="$shape" -v link="${link_title[$link]}" -v wire="$wire" -v name="${label[$approach]}" \
        -v n="${merged[$shape,$size]}" -v t="${seconds[$key]}" -v m="${seconds[obsmerge,$shape,$link,$wire]:-}" \
        -v turns="${turns[$key]:-}" -v sends="${sends[$key]:-}" 'BEGIN {
      printf "| %s | %s | %s | %s | %.2f | %.0f | %s | %s | %s |\n", shape, link, wire, name, t, n / t,
        m == "" ? "-" : sprintf("%.2f", t / m), turns == "" ? "-" : sprintf("%.3f", turns / n),
        sends == "" ? "-" : sprintf("%.3f", sends / n)
    }'
  done
}

echo "| store | link | wire | orders | rows merged | obsmerge s | set-based s | obsmerge / set-based | round trips / row | sends / row | bytes / row | obsmerge peak MB |"
echo "|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
each_run merge_row
echo
echo "Round trips: the client's sends that follow an answer of the server, as the proxy sees them;"
echo "sends: all the client's sends; bytes: both directions; all per merged row, for the whole process"
echo "(connection included), over the proxied links only."
echo
echo "| store | link | wire | approach | seconds | rows/s | / obsmerge | round trips / row | sends / row |"
echo "|---|---|---|---|---:|---:|---:|---:|---:|"
each_run baseline_rows
