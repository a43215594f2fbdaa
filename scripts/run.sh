#!/usr/bin/env bash
# Sets up, builds the host and the two plug-in modules, and runs the live demo: the receiver
# substitute, two controller monitors and two audio meters, rendered in real time on real threads
# for about ten seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" plain vantrel-host
exec "$root/build/plain/bin/vantrel-host" demo
