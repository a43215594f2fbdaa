#!/usr/bin/env bash
# Configures and builds one flavour into build/FLAVOUR: plain, address or thread.
set -euo pipefail
flavour=${1:-plain}
root=$(cd "$(dirname "$0")/.." && pwd)
case "$flavour" in
    plain) sanitize="" ;;
    address | thread) sanitize=$flavour ;;
    *) echo "usage: $0 [plain|address|thread]" >&2; exit 2 ;;
esac
benchmarks=ON
[ -z "$sanitize" ] || benchmarks=OFF
cmake -S "$root" -B "$root/build/$flavour" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVANTREL_SANITIZE="$sanitize" -DVANTREL_BUILD_BENCHMARKS=$benchmarks > /dev/null
cmake --build "$root/build/$flavour" -j "$(nproc)"
