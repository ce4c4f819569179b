#!/usr/bin/env bash
# Installs what is missing, builds the project and runs every test.
#   bash tests/run.sh [BUILD_FOLDER] [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
shift || true
case "$build" in /*) ;; *) build="$root/$build" ;; esac

bash "$root/tests/setup.sh"
cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
