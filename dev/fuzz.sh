#!/usr/bin/env bash
# dev/fuzz.sh [seconds]: builds the fuzz targets with clang and runs each for that long
# (30 s by default) over a copy of its seed corpus. The fuzzers read only their corpora, so
# the build makes no data set.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dev/install-deps.sh
CC=clang CXX=clang++ dev/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRENLOW_FUZZ=ON -DBRENLOW_TESTS=OFF -DBRENLOW_BENCH=OFF -DBRENLOW_DATA=OFF

for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  cp -n "$seeds"* "$corpus"/ 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  log=build-fuzz/fuzz_"$name".log
  if ! build-fuzz/fuzz/fuzz_"$name" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix=build-fuzz/"$name"- "$corpus" >"$log" 2>&1; then
    cat "$log"
    echo "fuzz_$name failed; the input is in build-fuzz/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units)' "$log" || tail -n 2 "$log"
done
