#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless under Xvfb.
# --sanitize: the same tests in a second build under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
dev/install-deps.sh

if [ "${1:-}" = "--sanitize" ]; then
  folder=build-asan
  dev/build.sh "$folder" -DCMAKE_BUILD_TYPE=Debug -DBRENLOW_SANITIZE=ON -DBRENLOW_BENCH=OFF
  # The runtime's __tls_get_addr hook can take a thread-local block of today's C library for
  # one of an old layout and hand the leak check a wild range to scan, which crashes it at
  # exit (seen with the GL driver's threads on two cores); thread-local blocks are still
  # scanned as heap memory without the hook.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
else
  folder=build
  dev/build.sh "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi

cd "$folder"
# xvfb-run -a takes the first free display number, and two runs started together can take the
# same one (the second then talks to the first's server, which goes away under it); starting
# the search at a random number keeps runs on one machine apart.
xvfb-run -a -n $((100 + RANDOM % 800)) -s '-screen 0 1024x768x24' ctest --output-on-failure -j"$(nproc)"
