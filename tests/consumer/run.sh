#!/usr/bin/env bash
# Builds the consumer project against an installed Morvanta and runs its programs on a fresh copy
# of the sample store database; builds the console program once more with pkg-config alone.
#   bash tests/consumer/run.sh PREFIX WORK_FOLDER      the package installed in PREFIX
#   bash tests/consumer/run.sh --source WORK_FOLDER    the source tree as a subproject (console only)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ "$1" = "--source" ]; then
  mode=source
else
  mode=package
  prefix=$(cd "$1" && pwd)
fi
work=$2
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

# A fresh sample store (the one the README's first command merges), on the embedded engine.
make_store() {
  { echo "CREATE DATABASE '$1' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;"
    cat "$root/programs/obsmerge/sample-store.sql"; } | isql-fb -q -ch UTF8
}
database=$work/consumer-store.fdb
make_store "$database"

if [ "$mode" = source ]; then
  cmake -S "$here" -B "$work/build" -DMORVANTA_SOURCE="$root" -DCONSUMER_WINDOWS=OFF >/dev/null
  cmake --build "$work/build" -j"$(nproc)" >/dev/null
  "$work/build/consumer-console" "$database"
  exit 0
fi

# What find_package accepts and refuses: REQUEST | what the configure output must hold.
while IFS='|' read -r request expected; do
  output=$(cmake -S "$here/find" -B "$work/find" -DCMAKE_PREFIX_PATH="$prefix" "-DREQUEST=$request" 2>&1 || true)
  rm -rf "$work/find"
  grep -q -- "$expected" <<<"$output" || { echo "find_package(Morvanta $request): no \"$expected\" in:" >&2; echo "$output" >&2; exit 1; }
  if [[ $request != *windows* && $request != *ui* ]] && grep -q "has Qt6::Widgets" <<<"$output"; then
    echo "find_package(Morvanta $request) brought Qt" >&2
    exit 1
  fi
done <<'CASES'
0.1 REQUIRED COMPONENTS components diagnostics|has Morvanta::morvanta
0.1.0 REQUIRED|has Morvanta::morvanta
0.1 REQUIRED COMPONENTS windows|has Morvanta::windows
0.2 REQUIRED|considered but not accepted
1.0|considered but not accepted
0.1 REQUIRED COMPONENTS reports|has no component "reports"
CASES

cmake -S "$here" -B "$work/build" -DCMAKE_PREFIX_PATH="$prefix" | grep "Installed headers" || true
cmake --build "$work/build" -j"$(nproc)" >/dev/null
"$work/build/consumer-console" "$database"
QT_QPA_PLATFORM=offscreen "$work/build/consumer-window" "$database" "$work/window.png"
test -s "$work/window.png"

# Without CMake: the compiler and the .pc file.
pc=$(find "$prefix"/lib* -name morvanta.pc -path "*pkgconfig*" | head -n 1)
PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --modversion morvanta
# shellcheck disable=SC2046
g++ -o "$work/consumer-console-pc" "$here/console.cpp" $(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs morvanta)
make_store "$work/consumer-store-pc.fdb"
"$work/consumer-console-pc" "$work/consumer-store-pc.fdb"
echo "consumer: built and ran against $mode"
