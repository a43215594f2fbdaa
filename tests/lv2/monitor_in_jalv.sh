#!/usr/bin/env bash
# jalv runs the monitor on a private JACK server (dummy driver); a looping MIDI sequence goes
# in, and what comes out is what went in: the same bytes at the same frames of the same cycles.
# Usage: monitor_in_jalv.sh LV2_FOLDER MONITOR_URI
set -euo pipefail
# JACK keeps its servers' registry and sockets in /dev/shm, with room for eight servers per
# machine: a private /dev/shm leaves other servers alone and needs none of that room.
if [ -z "${VANTREL_PRIVATE_SHM:-}" ] &&
    unshare --user --map-root-user --mount true 2> /dev/null; then
    exec env VANTREL_PRIVATE_SHM=1 unshare --user --map-root-user --mount \
        sh -c 'mount -t tmpfs vantrel-shm /dev/shm && exec "$0" "$@"' "$0" "$@"
fi
export LV2_PATH=$1 JACK_DEFAULT_SERVER=vantrel-lv2-$$ JACK_NO_AUDIO_RESERVATION=1
uri=$2
period=256
work=$(mktemp -d)
pids=()
stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap stop EXIT
fail() {
    echo "$1"
    for log in "$work"/*.log; do echo "--- $log"; tail -n 20 "$log"; done
    exit 1
}
# Runs the command until it succeeds; fails the test after `seconds` or when the server stops.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" > /dev/null 2>&1; do
        kill -0 "${pids[0]}" 2> /dev/null || fail "the JACK server stopped"
        ((SECONDS < deadline)) || fail "no $what within $seconds s"
        sleep 0.1
    done
}
has_port() { jack_lsp | grep -qx "$1"; }
dumped_enough() { (($(grep -c '^ *[0-9]*: ' "$work/out.log") >= 12)); }

jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p $period > "$work/jackd.log" 2>&1 &
pids+=($!)
wait_for 10 "JACK server" jack_lsp

# jalv reads commands from standard input; an open, silent pipe keeps it running.
mkfifo "$work/commands"
exec 3<> "$work/commands"
jalv -x -n vantrel-monitor "$uri" < "$work/commands" > "$work/jalv.log" 2>&1 &
pids+=($!)
jack_midi_dump vantrel-out > "$work/out.log" 2>&1 &
pids+=($!)
jack_midi_dump vantrel-in > "$work/in.log" 2>&1 &
pids+=($!)
# Note 60 on at 0, off at 1000, note 64 on at 12000, off at 13000, looping every 24000 frames.
jack_midiseq vantrel-seq 24000 0 60 1000 12000 64 1000 > "$work/seq.log" 2>&1 &
pids+=($!)
for port in vantrel-monitor:midi_in vantrel-monitor:midi_out vantrel-out:input vantrel-in:input vantrel-seq:out; do
    wait_for 20 "port $port" has_port "$port"
done
# What goes in is dumped from before the monitor gets any of it.
jack_connect vantrel-seq:out vantrel-in:input
jack_connect vantrel-monitor:midi_out vantrel-out:input
jack_connect vantrel-seq:out vantrel-monitor:midi_in
wait_for 20 "MIDI through the monitor" dumped_enough

messages() { grep '^ *[0-9]*: ' "$work/$1.log" | sed 's/ *$//'; }
messages out > "$work/out.txt"
messages in > "$work/in.txt"
start=$(grep -nxF -m1 "$(head -n 1 "$work/out.txt")" "$work/in.txt" | cut -d: -f1) ||
    fail "the monitor sent a message that was never sent to it: $(head -n 1 "$work/out.txt")"
tail -n +"$start" "$work/in.txt" > "$work/in-from-start.txt"
count=$(wc -l < "$work/in-from-start.txt")
((count >= 8)) || fail "only $count messages to compare"
diff <(head -n "$count" "$work/in-from-start.txt") <(head -n "$count" "$work/out.txt") ||
    fail "MIDI changed on its way through the monitor"
