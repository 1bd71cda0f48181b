#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the default game root.
set -euo pipefail
cd "$(dirname "$0")/.."
dev/install-deps.sh
dev/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec build/game/app/brenlow build/gameroot
