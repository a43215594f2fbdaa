#!/usr/bin/env bash
# Rewrites the expected traces of the scenario tests from the host in BUILD_DIR, after a change
# of behaviour that was meant. Review the diff before committing it: the traces are the contract.
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
host="$build/bin/vantrel-host"
here=$(cd "$(dirname "$0")" && pwd)
for script in "$here"/scenarios/*.script; do
    name=${script%.script}
    [ -e "$name.stderr" ] && continue
    "$host" sim "$script" --app "$build/TolvaneVantrel.app" > "$name.trace"
done
git -C "$here" diff --stat -- scenarios
