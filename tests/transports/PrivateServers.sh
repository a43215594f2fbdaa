# Sourced by the runs that need servers of their own: a private JACK server (dummy driver) and a
# private session bus in a scratch folder, all stopped and removed on exit.
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-servers.XXXXXX")
pids=()
# A JACK server killed outright leaves its entry in the machine's server registry, and the
# registry has room for a few only: servers are stopped, and killed only when they do not stop.
stop() {
    kill -TERM "$1" 2>/dev/null || return 0
    local deadline=$((SECONDS + 3))
    while kill -0 "$1" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
# Last started, first stopped: clients go before the servers they use.
stop_all() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop "${pids[i]}"; done
    rm -rf "$work"
}
trap stop_all EXIT
fail() {
    echo "FAILED: $*" >&2
    for log in "$work"/*.out; do echo "== $log" >&2; tail -n 20 "$log" >&2; done
    exit 1
}

# One name for every run: the machine's JACK server registry has eight places, and a place is
# taken back from a dead server only by one of the same name. The runs take turns (ctest's
# RESOURCE_LOCK jack_server).
export JACK_DEFAULT_SERVER=vantrel-test JACK_NO_AUDIO_RESERVATION=1
# VANTREL_JACK_PERIOD: frames per cycle, 256 unless set.
start_jack() {
    jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p "${VANTREL_JACK_PERIOD:-256}" >>"$work/jackd.out" 2>&1 &
    jack_pid=$!
    pids+=("$jack_pid")
}
# PipeWire as the JACK server, as on current desktops: a dummy driver and nothing else (no devices,
# no session manager, for JACK clients link their ports themselves), its socket in the scratch
# folder, and the user's PipeWire configuration out of reach. The JACK clients started after it load
# PipeWire's libjack.
start_pipewire() {
    mkdir -m 700 "$work/pipewire"
    export PIPEWIRE_RUNTIME_DIR="$work/pipewire" XDG_CONFIG_HOME="$work/config"
    unset PIPEWIRE_REMOTE
    local period=${VANTREL_JACK_PERIOD:-256}
    cat >"$work/pipewire/server.conf" <<EOF
context.properties = {
    core.daemon = true
    core.name = pipewire-0
    default.clock.rate = 48000
    default.clock.quantum = $period
    default.clock.min-quantum = $period
    default.clock.max-quantum = $period
}
context.spa-libs = { support.* = support/libspa-support }
context.modules = [
    { name = libpipewire-module-protocol-native }
    # Grants the clients their rights: without it they wait forever.
    { name = libpipewire-module-access }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-link-factory }
]
context.objects = [
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Dummy-Driver priority.driver = 20000 } }
    # Where JACK clients keep their port properties.
    { factory = metadata args = { metadata.name = default } }
]
EOF
    pipewire -c "$work/pipewire/server.conf" >>"$work/pipewire.out" 2>&1 &
    jack_pid=$!
    pids+=("$jack_pid")
    # ${LIB} is left for the dynamic loader to expand, as pw-jack does. A client that still loads
    # jackd's libjack fails rather than starting a jackd of its own.
    export LD_LIBRARY_PATH='/usr/${LIB}/pipewire-0.3/jack'"${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
    export JACK_NO_START_SERVER=1
}
# VANTREL_JACK_SERVER: jackd unless set, or pipewire.
start_jack_server() {
    case ${VANTREL_JACK_SERVER:-jackd} in
        jackd) start_jack ;;
        pipewire) start_pipewire ;;
        *) fail "no JACK server called ${VANTREL_JACK_SERVER}" ;;
    esac
}
start_bus() {
    dbus-daemon --session --nofork --address="unix:path=$work/bus" --print-pid=1 >"$work/bus.pid" 2>&1 &
    bus_pid=$!
    pids+=("$bus_pid")
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
}
# Waits until both servers answer, or fails after `seconds`.
wait_for_servers() {
    local deadline=$((SECONDS + $1))
    until jack_lsp >/dev/null 2>&1 && [[ -S $work/bus ]]; do
        kill -0 "$jack_pid" 2>/dev/null || fail "the JACK server stopped"
        kill -0 "$bus_pid" 2>/dev/null || fail "the session bus stopped"
        ((SECONDS < deadline)) || fail "the servers did not answer within $1 s"
        sleep 0.1
    done
}
