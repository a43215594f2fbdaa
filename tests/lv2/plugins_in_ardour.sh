#!/usr/bin/env bash
# Ardour 7, headless (ardour7-lua) on a private JACK server and session bus beside
# vantrel-receiver, runs the plug-ins on MIDI and audio tracks.
#   plugins_in_ardour.sh CASE LV2_FOLDER MONITOR_URI METER_URI BIN_DIR
#   reopen: one monitor and one meter; connected and mapped, saved, closed, reopened: the
#           monitor comes back with its uid and connection, the meter with its track.
#   many:   32 monitors and 32 meters for 30 s: every report and peak message arrives, in order.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/HostServers.sh"
case_name=$1 bin=$5
export LV2_PATH=$2 MONITOR_URI=$3 METER_URI=$4 SESSION="$work/session" HOME="$work/home"
export XDG_CONFIG_HOME="$work/config" READY="$work/ready" STOP="$work/stop"
# Longer cycles than the other runs': Ardour with 64 plug-ins keeps up on a busy two-core machine.
export VANTREL_JACK_PERIOD=1024
receiver=("$bin/vantrel-receiver" --auto-connect --track Strings)

# Ardour 7.3 on a busy machine now and then garbles its own requests to the JACK server,
# plug-ins or none: such a run gives no verdict either.
ardour_lost_jack() { grep -q 'Unknown request' "$work/jackd.out" || grep -q 'JACK HALTED' "$work/ardour.out" 2>/dev/null; }
eval "fail_for_real() $(declare -f fail | tail -n +2)"
fail() {
    ! ardour_lost_jack || skip "$* (Ardour lost its JACK connection)"
    fail_for_real "$@"
}

# Ardour creates or opens the session (CREATE as in ardour_session.lua) and runs until
# stop_ardour, which has it save and close the session.
start_ardour() {
    rm -f "$READY" "$STOP"
    timeout 85 ardour7-lua "$here/ardour_session.lua" >>"$work/ardour.out" 2>&1 &
    ardour_pid=$!
    pids+=("$ardour_pid")
    wait_until 40 "Ardour with the session running" test -e "$READY"
}
stop_ardour() {
    touch "$STOP"
    wait "$ardour_pid" || fail "Ardour did not save and close the session cleanly (status $?)"
}

uid_number() {
    local u0 u1 u2 u3 u4
    read -r u0 u1 u2 u3 u4 <<<"$1"
    echo $(((16#$u0 << 28) | (16#$u1 << 21) | (16#$u2 << 14) | (16#$u3 << 7) | 16#$u4))
}
# Pans 1 to COUNT into the tracks "Keys 1" to "Keys TRACKS".
#   pan_tracks TRACKS COUNT
pan_tracks() {
    local ports=() index
    for index in $(seq 1 "$1"); do ports+=("ardour:Keys $index/midi_in 1"); done
    wait_until 10 "Ardour's port ${ports[-1]}" has_port "${ports[-1]}"
    send_pans "$2" "${ports[@]}"
}

case $case_name in
reopen)
    echo '{"1": {"trackNr": 5, "trackName": "Bass"}}' >"$work/mapping.json"
    start_servers_and_receiver "${receiver[@]}" --mapping "$work/mapping.json"
    CREATE=1 start_ardour
    wait_until 10 "the monitor's Heartbeat" heard_from 1
    uid=$(heartbeat_uids)
    connect_all
    mapped() { received | grep -q '^F0 7E 01 05 .. .. F7$'; }
    wait_until 10 "peak messages of the meter on track 5" mapped
    stop_ardour

    # A receiver that knows neither the monitor nor the mapping.
    stop "$receiver_pid"
    rm -f "$XDG_DATA_HOME"/*/*.json "$work/mapping.json"
    start_receiver "${receiver[@]}"
    start_ardour
    wait_until 10 "the monitor's Heartbeat after reopening" heard_from 1
    [[ $(heartbeat_uids) == "$uid" ]] || fail "the monitor came back as $(heartbeat_uids), not $uid"
    # Connected without a new request: it reports at once.
    xruns_from=$(($(wc -l <"$work/jackd.out") + 1))
    pan_tracks 1 10
    poll_until 10 expect_pans "$uid" 10 || lost "reports of the reopened monitor: $(reports_of "$uid" | tr '\n' ' ')"
    wait_until 10 "peak messages of the reopened meter on track 5" mapped
    ! received | grep -qE '^F0 7D (.. ){5}01 F7$' || fail "the reopened monitor asked to be connected again"
    stop_ardour
    ;;
many)
    count=32 pans=40
    start_servers_and_receiver "${receiver[@]}"
    CREATE=$count start_ardour
    start=$SECONDS
    wait_until 20 "Heartbeats of $count monitors" heard_from "$count"
    connect_all
    xruns_from=$(($(wc -l <"$work/jackd.out") + 1))
    pan_tracks "$count" "$pans"
    all_reported() {
        local uid
        while read -r uid; do expect_pans "$uid" "$pans" || return 1; done < <(heartbeat_uids)
    }
    if ! poll_until 10 all_reported; then
        while read -r uid; do
            expect_pans "$uid" "$pans" || echo "monitor $(uid_number "$uid"): $(reports_of "$uid" | tr '\n' ' ')"
        done < <(heartbeat_uids)
        lost "reports lost or out of order"
    fi
    until ((SECONDS >= start + 30)); do sleep 0.5; done
    # The receiver's tables, once a second, mark time among its messages: over the last 20 s
    # before the close, every meter sent as many messages as 20 s hold (a second's worth of
    # slack for the marks) and no fewer than any other meter but one. Their peaks, all of
    # silence, do not show an order.
    lines=$(wc -l <"$work/receiver.out")
    stop_ardour
    counts=$(head -n "$lines" "$work/receiver.out" | awk '
        /^---$/ { marks[++count] = NR } { line[NR] = $0 }
        END {
            for (n = marks[count - 21]; n < marks[count - 1]; ++n)
                if (line[n] ~ /^message F0 7E /) { split(line[n], bytes, " "); ++sent[bytes[4]] }
            for (meter in sent) print sent[meter]
        }' | sort -n)
    (($(wc -l <<<"$counts") == count)) || fail "peak messages from $(wc -l <<<"$counts") meters, not $count"
    least=$(head -n 1 <<<"$counts") most=$(tail -n 1 <<<"$counts")
    ((least >= 19 * 48000 / 2048 && most <= 21 * 48000 / 2048 && most - least <= 2)) ||
        lost "peak messages per meter over 20 s: from $least to $most"
    ;;
esac
