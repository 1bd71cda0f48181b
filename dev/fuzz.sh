#!/usr/bin/env bash
# dev/fuzz.sh [seconds]: builds the fuzz targets with clang and runs each for that long
# (30 s by default) over a copy of its seed corpus, as many side by side as there are
# processors. The fuzzers read only their corpora, so the build makes no data set.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dev/install-deps.sh
CC=clang CXX=clang++ dev/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRENLOW_FUZZ=ON -DBRENLOW_TESTS=OFF -DBRENLOW_BENCH=OFF -DBRENLOW_DATA=OFF

# A failing target's log is shown and the run fails; the others run to their end.
export seconds
ls -d fuzz/corpus/*/ | xargs -P "$(nproc)" -n 1 bash -c '
  name=$(basename "$1")
  corpus=build-fuzz/corpus/$name
  log=build-fuzz/fuzz_"$name".log
  mkdir -p "$corpus"
  cp -n "$1"* "$corpus"/ 2>/dev/null || true
  if ! build-fuzz/fuzz/fuzz_"$name" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix=build-fuzz/"$name"- "$corpus" >"$log" 2>&1; then
    cat "$log"
    echo "fuzz_$name failed; the input is in build-fuzz/" >&2
    exit 1
  fi
  echo "fuzz_$name: $(grep -E "^Done" "$log" || tail -n 1 "$log")"
' _ || exit 1
