#!/usr/bin/env bash
# Runs a command beside a private JACK server and a private session bus.
#   WithPrivateServers.sh COMMAND [ARGUMENT...]
set -euo pipefail
source "$(dirname "$0")/PrivateServers.sh"
start_jack
start_bus
wait_for_servers 10
"$@"
