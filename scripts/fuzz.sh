#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time on its checked-in corpus. The targets are built
# by the address flavour (clang, address and undefined-behaviour sanitizers) into build/address.
# New inputs go to build/address/fuzz-corpus, crashes to build/address/artifacts; the script fails
# when any target crashes.
#   VANTREL_FUZZ_SECONDS=N   seconds per target (default 20)
#   scripts/fuzz.sh TARGET   runs only that target (e.g. mapping_file_fuzzer)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/address"
seconds=${VANTREL_FUZZ_SECONDS:-20}
targets=(mapping_file_fuzzer monitor_state_fuzzer meter_state_fuzzer notification_fuzzer
         monitor_events_fuzzer meter_buffers_fuzzer scenario_script_fuzzer)
[ $# -eq 0 ] || targets=("$@")

mkdir -p "$build"
"$root/scripts/build.sh" address "${targets[@]}" > "$build/fuzz-build.log" 2>&1 ||
    { tail -n 40 "$build/fuzz-build.log"; exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fuzz() {
    local target=$1 corpus scratch dictionary=()
    corpus="$root/fuzz/corpus/${target%_fuzzer}"
    scratch="$build/fuzz-corpus/${target%_fuzzer}"
    mkdir -p "$scratch" "$build/artifacts"
    [ ! -f "$root/fuzz/dictionaries/${target%_fuzzer}.dict" ] ||
        dictionary=(-dict="$root/fuzz/dictionaries/${target%_fuzzer}.dict")
    "$build/fuzz/$target" "$scratch" "$corpus" "${dictionary[@]}" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/$target-" \
        -print_final_stats=0 > "$build/$target.log" 2>&1
}

# One target per core at a time; each keeps its whole time budget.
declare -A running=()
failed=()
collect() {
    local pid target
    wait -n -p pid "${!running[@]}" && status=0 || status=$?
    target=${running[$pid]}
    unset "running[$pid]"
    if ((status)); then
        tail -n 60 "$build/$target.log"
        failed+=("$target")
    else
        echo "== $target (${seconds}s): $(tail -n 1 "$build/$target.log")"
    fi
}
for target in "${targets[@]}"; do
    ((${#running[@]} < $(nproc))) || collect
    fuzz "$target" &
    running[$!]=$target
done
while ((${#running[@]})); do collect; done
if ((${#failed[@]})); then
    echo "fuzzing found crashes in: ${failed[*]} (inputs in $build/artifacts; replay: $build/fuzz/TARGET INPUT)" >&2
    exit 1
fi
