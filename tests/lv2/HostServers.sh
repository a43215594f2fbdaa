# Sourced by the real-host runs: a private JACK server and session bus (PrivateServers.sh), seen by
# this run only, vantrel-receiver on them, bounded waits, and what the runs do with monitors. The
# run sets `bin`, the folder of vantrel-receiver and vantrel-send-midi.
#
# A run the machine could not carry (see skip below) is tried once more before it counts as
# skipped.
if [[ -z ${VANTREL_ATTEMPT:-} ]]; then
    status=0
    VANTREL_ATTEMPT=1 "$0" "$@" || status=$?
    ((status == 77)) || exit "$status"
    echo "once more" >&2
    VANTREL_ATTEMPT=2 exec "$0" "$@"
fi

# JACK keeps its servers' registry and sockets in /dev/shm, shared by every run on the machine:
# the run goes on in a mount namespace of its own with a /dev/shm of its own, where it may use
# the one server name without meeting another run's server.
if [ -z "${VANTREL_PRIVATE_SHM:-}" ] && unshare --user --map-root-user --mount true 2>/dev/null; then
    exec env VANTREL_PRIVATE_SHM=1 unshare --user --map-root-user --mount \
        sh -c 'mount -t tmpfs vantrel-shm /dev/shm && exec "$0" "$@"' "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/../transports/PrivateServers.sh"
export XDG_DATA_HOME="$work/data"
# The hosts go before the servers they run on: jalv, for one, crashes when it closes its JACK
# client after the server went.
stop_all() {
    local index
    for ((index = ${#pids[@]} - 1; index >= 0; index--)); do stop "${pids[index]}"; done
    rm -rf "$work"
}

# Runs the machine could not carry give no verdict (ctest: skipped). JACK drops what a cycle
# carries when a client misses the cycle, and hands a reader the stale buffer of a client that
# missed it, so messages lost or repeated while the server reported missed cycles (since
# xruns_from, a line of its log) prove nothing.
skip() {
    echo "SKIPPED: $*" >&2
    exit 77
}
xruns_from=1
lost() {
    ! tail -n +"$xruns_from" "$work/jackd.out" 2>/dev/null | grep -q XRun ||
        skip "$* (the JACK server reported missed cycles)"
    fail "$@"
}

# Both servers up, and vantrel-receiver on them (start_receiver).
#   start_servers_and_receiver RECEIVER [OPTION...]
start_servers_and_receiver() {
    start_jack_server
    start_bus
    wait_for_servers 10
    start_receiver "$@"
}
# vantrel-receiver printing every message it gets to receiver.out, afresh; its process is
# receiver_pid.
#   start_receiver RECEIVER [OPTION...]
start_receiver() {
    local receiver=$1
    shift
    "$receiver" --plain --messages "$@" >"$work/receiver.out" 2>&1 &
    receiver_pid=$!
    pids+=("$receiver_pid")
    wait_until 10 "the receiver's port" has_port vantrel-receiver:receiver
}
has_port() { jack_lsp | grep -qx "$1"; }
# The messages the receiver got, one a line, without the "message " before them.
received() { sed -n 's/^message //p' "$work/receiver.out"; }
# Runs the command until it succeeds; false after `seconds`.
#   poll_until SECONDS COMMAND [ARGUMENT...]
poll_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}
# The same, failing the run after `seconds`.
#   wait_until SECONDS WHAT COMMAND [ARGUMENT...]
wait_until() {
    local seconds=$1 what=$2
    shift 2
    poll_until "$seconds" "$@" || fail "no $what within $seconds s"
}

# The uids of the monitors heard from, as their five SysEx bytes, one a line.
heartbeat_uids() { received | sed -n -E 's/^F0 7D (([0-9A-F]{2} ){5})03 F7$/\1/p' | sed 's/ $//' | sort -u; }
heard_from() { (($(heartbeat_uids | wc -l) >= $1)); }
latest_table() { awk '/^---$/ {table = ""; next} !/^message/ {table = table $0 "\n"} END {printf "%s", table}' "$work/receiver.out"; }
# Sends a connect request in the name of each monitor heard from, as its Connect button would,
# and waits for the receiver's answers.
connect_all() {
    local requests=() uid
    while read -r uid; do requests+=("F07D${uid// /}01F7"); done < <(heartbeat_uids)
    "$bin/vantrel-send-midi" vantrel-receiver:receiver "${requests[@]}"
    all_connected() { (($(latest_table | grep -c 'track="Strings" connected') >= ${#requests[@]})); }
    wait_until 10 "answers to ${#requests[@]} connect requests" all_connected
}
# Pans 1 to COUNT (controller 10) into each port, one a JACK cycle.
#   send_pans COUNT PORT...
send_pans() {
    local count=$1 sent=() value
    shift
    for value in $(seq 1 "$count"); do sent+=("$(printf 'B00A%02X' "$value")"); done
    "$bin/vantrel-send-midi" "$(IFS=,; echo "$*")" "${sent[@]}" || fail "MIDI not sent to $*"
}
# The pans reported for the uid (its SysEx bytes), "B00A05" one a line.
reports_of() { received | sed -n "s/^F0 7D $1 F7 \(B0 0A ..\)$/\1/p" | tr -d ' '; }
# Whether the uid reported pans 1 to COUNT, each once, in order.
#   expect_pans UID COUNT
expect_pans() { diff <(seq 1 "$2" | xargs printf 'B00A%02X\n') <(reports_of "$1") >/dev/null; }
