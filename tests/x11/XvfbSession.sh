# Sourced by the window tests: a private X server (Xvfb) on a display number it picks itself, and
# the steps a person takes in front of it: wait for a window, look at it, click it. Built on the
# private-servers file, whose exit trap stops everything started here.
source "$(dirname "${BASH_SOURCE[0]}")/../transports/PrivateServers.sh"

# Starts Xvfb, exports DISPLAY, and fails when the server is not up within `seconds`.
start_xvfb() {
    local seconds=$1
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >>"$work/xvfb.out" 2>&1 &
    local xvfb_pid=$!
    pids+=("$xvfb_pid")
    local deadline=$((SECONDS + seconds))
    until [[ -s $work/display ]]; do
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb stopped"
        ((SECONDS < deadline)) || fail "Xvfb did not start within $seconds s"
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$work/display")"
}

# Prints the id of the viewable window whose name is `name`, once there is one; fails after
# `seconds`.
wait_for_window() {
    local seconds=$1 name=$2 id
    local deadline=$((SECONDS + seconds))
    until id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1) && [[ -n $id ]]; do
        ((SECONDS < deadline)) || fail "no window \"$name\" within $seconds s"
        sleep 0.1
    done
    echo "$id"
}

# The window's picture as the server shows it, as a PNG file.
snapshot() {
    local id=$1 file=$2
    import -window "$id" "png:$file" 2>>"$work/import.out" || fail "cannot take a picture of window $id"
}

# Clicks the left button at `x`,`y` in the window.
click() {
    local id=$1 x=$2 y=$3
    xdotool mousemove --window "$id" "$x" "$y" click 1 || fail "cannot click window $id"
}

# Waits for the process to end and returns its exit status; fails when it is still there after
# `seconds`.
wait_for_exit() {
    local seconds=$1 pid=$2
    local deadline=$((SECONDS + seconds))
    while kill -0 "$pid" 2>/dev/null; do
        ((SECONDS < deadline)) || fail "process $pid still runs after $seconds s"
        sleep 0.1
    done
    local status=0
    wait "$pid" || status=$?
    return "$status"
}

# Waits until the window looks like the golden picture, as the program `$same_picture` compares
# them; fails after `seconds`, showing why the last picture differed.
wait_for_picture() {
    local seconds=$1 id=$2 golden=$3
    local picture="$work/$(basename "$golden")"
    local deadline=$((SECONDS + seconds))
    until snapshot "$id" "$picture" && "$same_picture" "$picture" "$golden" >"$work/compare.out" 2>&1; do
        ((SECONDS < deadline)) || fail "window $id does not look like $golden within $seconds s"
        sleep 0.2
    done
}
