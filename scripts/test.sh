#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: plainly; under the address and undefined-
# behaviour sanitizers; the suites that start threads (and a short live run) under the thread
# sanitizer; then every fuzz target for a bounded time. Prints each stage's time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

stage() {
    local started=$SECONDS
    echo "== $1"
    "${@:2}"
    echo "== $1: $((SECONDS - started)) s"
}
for flavour in plain address thread; do
    stage "$flavour build" "$root/scripts/build.sh" "$flavour"
    stage "$flavour tests" ctest --test-dir "$root/build/$flavour" -j "$(nproc)" --output-on-failure --timeout 600
done
stage "fuzzing" "$root/scripts/fuzz.sh"
