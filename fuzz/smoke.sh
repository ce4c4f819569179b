#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short while on its seed inputs.
#   bash fuzz/smoke.sh [BUILD_FOLDER] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-fuzz}
seconds=${2:-30}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

CXX=clang++ cmake -S "$root" -B "$build" -DMORVANTA_FUZZ=ON -DMORVANTA_TESTS=OFF -DMORVANTA_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
shopt -s nullglob
for target in "$build"/bin/*_fuzz; do
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="$root/fuzz/seeds/${name%_fuzz}"
  [ -d "$seeds" ] && cp "$seeds"/* "$corpus"/ 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 "$corpus" >"$corpus.log" 2>&1 || {
    tail -50 "$corpus.log"; echo "$name failed"; exit 1; }
  tail -1 "$corpus.log"
  rm -rf "$corpus" "$corpus.log"
done
