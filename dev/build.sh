#!/usr/bin/env bash
# dev/build.sh <folder> [--target <target>]... [cmake options...]: configures (once) and
# builds the targets named, or everything. CMAKE_BUILD_PARALLEL_LEVEL sets the number of jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
shift
targets=()
options=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--target" ]; then
    targets+=(--target "$2")
    shift 2
  else
    options+=("$1")
    shift
  fi
done
cmake -S . -B "$folder" -G Ninja -DBRENLOW_WERROR=ON "${options[@]}" | { grep -v "^-- " || true; }
cmake --build "$folder" "${targets[@]}"
