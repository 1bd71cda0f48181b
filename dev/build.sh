#!/usr/bin/env bash
# dev/build.sh <build folder> [cmake options...]: configures (once) and builds.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
shift
cmake -S . -B "$folder" -G Ninja -DBRENLOW_WERROR=ON "$@" | { grep -v "^-- " || true; }
cmake --build "$folder"
