#!/usr/bin/env bash
# Installs what is missing, builds the program, its tools and the default game root (not the
# tests nor the benchmarks), and starts the program there. It needs a display.
set -euo pipefail
cd "$(dirname "$0")/.."
dev/install-deps.sh
dev/build.sh build --target brenlow --target gameroot -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The program runs in its game root, the working directory.
cd build/gameroot && exec ../game/app/brenlow
