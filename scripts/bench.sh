#!/usr/bin/env bash
# Builds plainly and runs the benchmarks (repetitions, random interleaving, medians; every
# baseline in the same run), then counts instructions per event and per frame on the two render
# paths with callgrind. Usage: scripts/bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/plain}
"$root/scripts/setup.sh"
if ! command -v valgrind > /dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq valgrind
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE= \
      -DVANTREL_BUILD_BENCHMARKS=ON > /dev/null
cmake --build "$build" -j "$(nproc)" --target vantrel_benchmarks vantrel_render_counts

echo "== $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(uname -sr)"
echo "== load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== render paths and instance memory (medians of 9, random interleaving)"
"$build/bench/vantrel_benchmarks" --benchmark_filter='Render|Baseline|Scan|Bytes' \
    --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_min_time=0.05 \
    --benchmark_counters_tabular=true --benchmark_out="$build/bench-render.json" --benchmark_out_format=json \
    | grep -v '_mean\|_stddev\|_cv'
echo "== monitor timers on real threads"
"$build/bench/vantrel_benchmarks" --benchmark_filter='MonitorTimers|QueueWakeUps' \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_counters_tabular=true --benchmark_out="$build/bench-timers.json" --benchmark_out_format=json \
    2> /dev/null | grep -v '_mean\|_stddev\|_cv'
echo "== load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== ratios of medians"
jq -r '
  [.benchmarks[] | select(.aggregate_name == "median")] as $m
  | def ns($name; $key): ($m[] | select(.run_name == $name) | .[$key]);
  ( ["64", "512", "2048"][] as $f
    | ns("BM_BaselineMemcpy/\($f)"; "ns_per_frame") as $memcpy
    | "meter \($f) frames: scan speed / memcpy speed = \($memcpy / ns("BM_MeterPeakScan/\($f)"; "ns_per_frame") * 100 | round / 100)"
      + " (plain loop \($memcpy / ns("BM_BaselinePlainLoopScan/\($f)"; "ns_per_frame") * 100 | round / 100))"
      + ", render time / memcpy time = \(ns("BM_MeterRender/\($f)"; "ns_per_frame") / $memcpy * 100 | round / 100)"
      + " (a block that only pulls \(ns("BM_BaselinePullOnlyRender/\($f)"; "ns_per_frame") / $memcpy * 100 | round / 100))" ),
  ( ["0", "1"][] as $c
    | "monitor connected=\($c): / least work (b) = \(ns("BM_MonitorRender/connected:\($c)"; "ns_per_event") / ns("BM_BaselineLeastWork/connected:\($c)"; "ns_per_event") * 100 | round / 100)"
      + ", / walk and pass (a) = \(ns("BM_MonitorRender/connected:\($c)"; "ns_per_event") / ns("BM_BaselineWalkAndPass"; "ns_per_event") * 100 | round / 100)" )
' "$build/bench-render.json"
jq -r '.benchmarks[] | select(.aggregate_name == "median")
  | "\(.run_name | sub("/iterations.*"; "") | sub("^BM_"; "")): \(.core_percent * 100 | round / 100)% of a core"
' "$build/bench-timers.json"

echo "== instructions (callgrind, only inside the render calls)"
count() {
    local out
    out=$(mktemp)
    local units
    units=$(valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$1" \
        "$build/bench/vantrel_render_counts" "${@:3}" 2> /dev/null)
    local instructions
    instructions=$(sed -n 's/^totals: *//p' "$out" | cut -d' ' -f1)
    rm -f "$out"
    local unit=${units%% *}
    echo "$2: $(awk -v i="$instructions" -v u="${units#* }" 'BEGIN { printf "%.1f", i / u }') instructions per ${unit%s}"
}
count countedMonitorRender "monitor, connected" monitor-connected
count countedMonitorRender "monitor, not connected" monitor-idle
for frames in 64 512 2048; do
    count countedMeterRender "meter, $frames-frame blocks" meter "$frames"
done
