#!/usr/bin/env bash
# The monitor's view in jalv.gtk3 on a private X server, with a private JACK server, session bus
# and receiver: it looks like its golden picture, and a click on Connect sends the request that
# the receiver answers.
#   monitor_ui.sh SAME_PICTURE LV2_FOLDER MONITOR_URI RECEIVER_PROGRAM GOLDEN_PNG
set -euo pipefail
same_picture=$1 uri=$3 receiver=$4 golden=$5
export LV2_PATH=$2
source "$(dirname "$0")/XvfbSession.sh"
start_jack
start_bus
wait_for_servers 10
start_xvfb 10
export XDG_DATA_HOME="$work/data"

"$receiver" --plain --auto-connect --track Strings >>"$work/receiver.out" 2>&1 &
pids+=($!)
# The instance comes back from saved state with the identity the golden picture shows
# (2245BD60), as when a project is opened again.
mkdir "$work/state"
cat >"$work/state/state.ttl" <<EOF
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .

<> a pset:Preset ;
    lv2:appliesTo <$uri> ;
    state:state [ <$uri#fullState> "{\\"qvUniqueID\\": $((16#2245BD60))}" ] .
EOF
jalv.gtk3 --no-menu --load "$work/state" --jack-name vantrel-monitor "$uri" </dev/null >>"$work/jalv.out" 2>&1 &
pids+=($!)
id=$(wait_for_window 20 "$uri")
wait_for_picture 10 "$id" "$golden"

connected() {
    awk '/^---$/ {table = ""; next} {table = table $0 "\n"} END {printf "%s", table}' "$work/receiver.out" |
        grep -Eq 'monitor uid=[0-9]+ track="Strings" connected'
}
# The middle of the Connect button. A request sent before this process's bus connection was up
# goes unanswered, so a user presses again: so does the test, for a while.
deadline=$((SECONDS + 15))
until connected; do
    ((SECONDS < deadline)) || fail "the receiver saw no connect request within 15 s"
    click "$id" 170 297
    for _ in $(seq 20); do connected && break; sleep 0.1; done
done

# The view polls its instance and is drawn anew: the connect area gives way to the monitor's
# sections.
deadline=$((SECONDS + 5))
while snapshot "$id" "$work/connected.png" && "$same_picture" "$work/connected.png" "$golden" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || fail "the view still shows the connect area 5 s after the receiver connected it"
    sleep 0.2
done
