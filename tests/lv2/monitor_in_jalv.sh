#!/usr/bin/env bash
# jalv (console) runs the monitor on a private JACK server and session bus beside vantrel-receiver.
# A looping MIDI sequence goes in, and what comes out is what went in: the same bytes at the same
# frames of the same cycles. The receiver sees the monitor's Heartbeat, answers the connect
# request sent in the monitor's name (jalv shows no view whose button could send it), and gets
# the controller changes as reports, in order.
#   monitor_in_jalv.sh LV2_FOLDER MONITOR_URI BIN_DIR
set -euo pipefail
source "$(dirname "$0")/HostServers.sh"
# Long cycles, as the servers run without real-time priority: a client that misses its cycle
# loses what the cycle carried.
export VANTREL_JACK_PERIOD=1024
export LV2_PATH=$1
uri=$2 bin=$3
start_servers_and_receiver "$bin/vantrel-receiver" --auto-connect --track Strings

# jalv reads commands from standard input; an open, silent pipe keeps it running.
mkfifo "$work/commands"
exec 3<>"$work/commands"
jalv -x -n vantrel-monitor "$uri" <"$work/commands" >"$work/jalv.out" 2>&1 &
pids+=($!)
jack_midi_dump vantrel-out >"$work/out.log" 2>&1 &
pids+=($!)
jack_midi_dump vantrel-in >"$work/in.log" 2>&1 &
pids+=($!)
# Note 60 on at 0, off at 1000, note 64 on at 12000, off at 13000, looping every 24000 frames.
jack_midiseq vantrel-seq 24000 0 60 1000 12000 64 1000 >"$work/seq.out" 2>&1 &
pids+=($!)
for port in vantrel-monitor:midi_in vantrel-monitor:midi_out vantrel-out:input vantrel-in:input vantrel-seq:out; do
    wait_until 20 "port $port" has_port "$port"
done
# What goes in is dumped from before the monitor gets any of it.
jack_connect vantrel-seq:out vantrel-in:input
jack_connect vantrel-monitor:midi_out vantrel-out:input
jack_connect vantrel-seq:out vantrel-monitor:midi_in
dumped_enough() { (($(grep -c '^ *[0-9]*: ' "$work/out.log") >= 12)); }
wait_until 20 "MIDI through the monitor" dumped_enough

messages() { grep '^ *[0-9]*: ' "$work/$1.log" | sed 's/ *$//'; }
messages out >"$work/out.txt"
messages in >"$work/in.txt"
start=$(grep -nxF -m1 "$(head -n 1 "$work/out.txt")" "$work/in.txt" | cut -d: -f1) ||
    fail "the monitor sent a message that was never sent to it: $(head -n 1 "$work/out.txt")"
tail -n +"$start" "$work/in.txt" >"$work/in-from-start.txt"
count=$(wc -l <"$work/in-from-start.txt")
((count >= 8)) || fail "only $count messages to compare"
diff <(head -n "$count" "$work/in-from-start.txt") <(head -n "$count" "$work/out.txt") ||
    lost "MIDI changed on its way through the monitor"

wait_until 10 "Heartbeat at the receiver" heard_from 1
uid=$(heartbeat_uids)
connect_all
# The answer reaches the monitor over the bus a moment later: volume changes until one is reported.
volume=0
reported() {
    volume=$((volume + 1))
    "$bin/vantrel-send-midi" vantrel-monitor:midi_in "$(printf 'B007%02X' $volume)"
    received | grep -q "^F0 7D $uid F7 B0 07"
}
wait_until 10 "report of a controller change" reported
send_pans 20 vantrel-monitor:midi_in
poll_until 10 expect_pans "$uid" 20 || lost "pans 1 to 20 reported as: $(reports_of "$uid" | tr '\n' ' ')"
