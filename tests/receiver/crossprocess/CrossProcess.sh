#!/usr/bin/env bash
# One cross-process run: a private JACK server (dummy driver) and a private session bus,
# vantrel-receiver in one process and `vantrel-host live --jack --dbus` with two monitors and two
# meters in another, then one fault. Everything started here is stopped on exit; every wait has
# a deadline that fails the run.
#   CrossProcess.sh CASE BIN_DIR APP_FOLDER
#   CASE: flow, receiver-restart, jack-restart, dbus-gone, foreign-signals
set -euo pipefail

case_name=$1 bin=$2 app=$3
source "$(dirname "$0")/../../transports/PrivateServers.sh"
export XDG_DATA_HOME="$work/data"
start_receiver() {
    "$bin/vantrel-receiver" --plain --auto-connect --track Strings --mapping "$work/mapping.json" \
        >>"$work/receiver.out" 2>&1 &
    receiver_pid=$!
    pids+=("$receiver_pid")
}

# Waits until the receiver's latest table matches every pattern given, or fails after `seconds`.
wait_for_table() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        local table
        table=$(latest_table)
        local all=1
        for pattern in "$@"; do grep -Eq -- "$pattern" <<<"$table" || all=0; done
        ((all)) && return 0
        sleep 0.2
    done
    fail "$what within ${seconds}s"
}
latest_table() {
    awk '/^---$/ {table = ""; next} {table = table $0 "\n"} END {printf "%s", table}' "$work/receiver.out" 2>/dev/null || true
}
# Meter 1's message count and monitor A's last controller value (it rises with every report).
progress() {
    local table
    table=$(latest_table)
    local messages value
    messages=$(grep -Eo 'meter instance=1 .* messages=[0-9]+' <<<"$table" | grep -Eo '[0-9]+$' || echo 0)
    value=$(grep -Eo 'last: \[B0 07 [0-9A-F]{2}' <<<"$table" | grep -Eo '[0-9A-F]{2}$' || echo 00)
    echo "${messages:-0} $((16#${value:-00}))"
}
# Waits until both meter messages and monitor reports arrived after the call, or fails.
wait_for_progress() {
    local seconds=$1 what=$2
    local before
    read -r -a before <<<"$(progress)"
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        local now
        read -r -a now <<<"$(progress)"
        ((now[0] > before[0] && now[1] > before[1])) && return 0
        sleep 0.2
    done
    fail "$what within ${seconds}s (meter messages and controller value stayed at ${before[*]})"
}
alive() { kill -0 "$1" 2>/dev/null || fail "$2 is gone"; }
# A fresh table: only what the receiver learns from now on counts.
forget_tables() { : >"$work/receiver.out"; }

# A quarter of a second each: time enough for the fault and the recovery after it.
iterations=40
[[ $case_name == flow ]] && iterations=20
echo '{"1": {"trackNr": 5, "trackName": "Bass"}, "2": {"trackNr": 6, "trackName": "Drums"}}' >"$work/mapping.json"
{
    printf 'create monitor A\ncreate monitor B\ncreate meter M1\ncreate meter M2\n'
    printf 'allocate A\nallocate B\nallocate M1\nallocate M2\nadvance 1.5s\n'
    printf 'view A open\nview B open\npress A connect\npress B connect\n'
    for i in $(seq 1 "$iterations"); do
        # An answer posted before this process's bus connection was up is lost, as for a user,
        # who presses Connect again; once connected, the button is gone and a press does nothing.
        ((i > 8)) || printf 'press A connect\npress B connect\n'
        printf 'midi-in A B0 07 %02X\nmidi-in B E0 00 %02X\n' "$i" "$i"
        printf 'audio M1 frames=2048 calls=12 left=dc:0.5 right=dc:0.25\naudio M2 frames=2048 calls=12 left=dc:1 right=dc:1\n'
        printf 'advance 250ms\n'
    done
} >"$work/plugins.script"

start_jack
start_bus
start_receiver
"$bin/vantrel-host" live "$work/plugins.script" --jack --dbus --app "$app" >"$work/host.out" 2>&1 &
host_pid=$!
pids+=("$host_pid")

connected='monitor uid=[0-9]+ track="Strings" connected heartbeat=[0-9.]+s events=[1-9]'
meters=('meter instance=1 track=5 .* messages=[1-9]' 'meter instance=2 track=6 .* messages=[1-9]')
wait_for_table 10 "heartbeats, answered connect requests, reports and mapped meters" \
    "$connected.*last: \[B0 07" "$connected.*last: \[E0 00" "${meters[@]}"

case $case_name in
flow) ;;
receiver-restart)
    kill -KILL "$receiver_pid"
    forget_tables
    start_receiver
    # The monitors find the new destination; the meters keep their track numbers.
    wait_for_table 6 "reports again after the receiver came back" \
        'monitor uid=[0-9]+ .* heartbeat=[0-9.]+s events=[1-9].*last: \[B0 07' "${meters[@]}"
    ;;
jack-restart)
    stop "$jack_pid"
    start_jack
    wait_for_progress 8 "reports through the new JACK server"
    ;;
dbus-gone)
    kill -KILL "$bus_pid"
    # MIDI goes on without the bus; nobody stops.
    wait_for_progress 4 "reports without the session bus"
    ;;
foreign-signals)
    signal=(dbus-send --session --type=signal /org/tolvane/vantrel org.tolvane.vantrel.Notifications.Posted)
    "${signal[@]}" string:com.marlek.vantrel.connect
    "${signal[@]}" string:com.marlek.vantrel.connect boolean:true variant:int32:5
    "${signal[@]}" string:com.marlek.vantrel.disconnect boolean:true dict:string:string:uid,7
    "${signal[@]}" int32:1 int32:2
    wait_for_progress 4 "reports after the foreign signals"
    (($(latest_table | grep -Ec "$connected") == 2)) || fail "a foreign signal disconnected a monitor"
    ;;
*) fail "unknown case $case_name" ;;
esac

alive "$host_pid" "vantrel-host"
alive "$receiver_pid" "vantrel-receiver"
deadline=$((SECONDS + 25))
while kill -0 "$host_pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.2; done
kill -0 "$host_pid" 2>/dev/null && fail "vantrel-host did not finish its script"
wait "$host_pid" || fail "vantrel-host ended with status $?"
echo "passed: $case_name"
