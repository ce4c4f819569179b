#!/usr/bin/env bash
# Posting speed of a dataset, without and with the change log, through the embedded engine and
# through the local server.
#
#   bash bench/post_bench.sh [BUILD_FOLDER] [ROWS]
#
# Builds post_bench in a Release build (build-bench by default) and runs it on a new database of
# each kind; POST_BENCH_NO_BUILD=1 uses the program already built.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
rows=${2:-10000}
fail() { echo "post_bench.sh: $*" >&2; exit 1; }

if [[ -z "${POST_BENCH_NO_BUILD:-}" ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVANTA_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target morvanta_bench_post_bench >/dev/null
fi
bench=$(find "$build" -name post_bench -type f -perm -u+x | head -n1)
[[ -n "$bench" ]] || fail "post_bench not built in $build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
  bash "$root/tests/firebird-server.sh" start
  (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null || fail "no Firebird server on localhost:3050"
fi
sysdba_password=$(. /etc/firebird/3.0/SYSDBA.password && echo "$ISC_PASSWORD")
chmod 755 "$work"
mkdir -p "$work/server"
chown firebird:firebird "$work/server"
chmod 770 "$work/server"

printf '%-22s %8s %10s %10s\n' "measure" "rows" "seconds" "rows/s"
echo "embedded"
"$bench" "$work/embedded.fdb" SYSDBA x "$rows"
echo "local server"
"$bench" "localhost:$work/server/server.fdb" SYSDBA "$sysdba_password" "$rows"
