#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless under Xvfb.
# --sanitize: the same tests in a second build under AddressSanitizer and
# UndefinedBehaviorSanitizer.
# CTest's whole output goes to ctest.log in the build folder; what is shown is a count of the
# tests done (on a terminal), then the output of each test that failed and the summary. The
# exit status is CTest's.
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
log=ctest.log
echo "running the tests of $folder (CTest's whole output: $folder/$log)"
terminal=0
[ -t 1 ] && terminal=1
status=0
# xvfb-run -a takes the first free display number, and two runs started together can take the
# same one (the second then talks to the first's server, which goes away under it); starting
# the search at a random number keeps runs on one machine apart.
xvfb-run -a -n $((100 + RANDOM % 800)) -s '-screen 0 1024x768x24' ctest --output-on-failure -j"$(nproc)" 2>&1 |
  tee "$log" |
  awk -v terminal="$terminal" '
    # "12/345 Test #67: name ....   Passed    0.10 sec": one test done.
    /^ *[0-9]+\/[0-9]+ Test +#[0-9]+:/ {
      split($1, count, "/")
      if ($0 !~ / Passed +[0-9.]+ sec$/)
        ++failed
      if (terminal) {
        printf "\r%d of %d tests done, %d failed", count[1], count[2], failed
        fflush()
      }
    }
    END { if (terminal && NR) print "" }' ||
  status=$?

# Each failed test with its output (from its result line to the next test's), then the
# summary; CTest pads the names with dots to the longest one, which is left out.
awk '
  /^ *[0-9]+\/[0-9]+ Test +#[0-9]+:/ { shown = $0 !~ / Passed +[0-9.]+ sec$/; gsub(/ \.\.\.+/, " ") }
  /^ +Start +[0-9]+:/ { shown = 0 }
  /^[0-9]+% tests passed/ { shown = 0; summary = 1 }
  shown || summary { print }' "$log"
exit "$status"
