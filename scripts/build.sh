#!/usr/bin/env bash
# Configures and builds one flavour into build/FLAVOUR, with warnings as errors:
#   plain    g++, the whole tree but the benchmarks
#   address  clang, address and undefined-behaviour sanitizers; the libFuzzer targets too, so that
#            the fuzzers need no build of their own
#   thread   g++, thread sanitizer; only the host, the modules and the suites that start threads
# Unity builds: the sources of a target compile in a few large units, which halves the build.
# Usage: scripts/build.sh FLAVOUR [TARGET...]   (no target: everything the flavour configures)
set -euo pipefail
flavour=${1:-plain}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON -DVANTREL_BUILD_BENCHMARKS=OFF -DCMAKE_UNITY_BUILD=ON)
case "$flavour" in
    plain) options+=(-DVANTREL_SANITIZE=) ;;
    address) options+=(-DVANTREL_SANITIZE=address -DCMAKE_CXX_COMPILER=clang++-14
                       -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link -DVANTREL_FUZZ=ON) ;;
    thread) options+=(-DVANTREL_SANITIZE=thread -DVANTREL_THREAD_TESTS_ONLY=ON) ;;
    *) echo "usage: $0 [plain|address|thread] [TARGET...]" >&2; exit 2 ;;
esac
! command -v ccache > /dev/null || options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$root/build/$flavour" -G Ninja "${options[@]}" > /dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$root/build/$flavour" -j "$(nproc)" "${targets[@]}"
