#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: plainly, under address and undefined-behaviour
# sanitizers, and under thread sanitizer; then runs every fuzz target for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
for flavour in plain address thread; do
    echo "== $flavour build"
    "$root/scripts/build.sh" "$flavour"
    echo "== $flavour tests"
    ctest --test-dir "$root/build/$flavour" -j "$(nproc)" --output-on-failure --timeout 600
done
echo "== fuzzing"
"$root/scripts/fuzz.sh"
