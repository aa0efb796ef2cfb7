# What the tests of the real program on the virtual X server share; sourced.
# They set $vantel (the program), $tmp (their scratch folder), $dir (the
# journal folder) and a fail function first.

# Never the desktop's own session bus, and no bus started on the fly for the
# virtual display: a test that wants one starts a private bus and sets it
# after sourcing this.
export DBUS_SESSION_BUS_ADDRESS=disabled:

# Starts a session bus of the test's own, on a socket in $tmp, and points the
# program at it: the desktop's real bus and its programs never see these
# calls. Sets $bus_pid, for the test's clean-up to stop.
private_bus() {
    local address
    cat >"$tmp/bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:dir=$tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    { read -r address; read -r bus_pid; } < <(timeout 10 dbus-daemon --config-file="$tmp/bus.conf" \
        --fork --print-address=1 --print-pid=1)
    [ -n "$address" ] || fail "no private bus"
    export DBUS_SESSION_BUS_ADDRESS=$address
    unset AT_SPI_BUS_ADDRESS
}

# Starts the program in the current folder and focuses its window: sets $pid
# and $wid.
start_vantel() {
    "$vantel" >"$tmp/log" 2>&1 &
    pid=$!
    # By process, not by title: nothing else on the server can answer. A
    # loaded machine or a sanitizer build may take many seconds to show it.
    wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | head -1) || true
    [ -n "$wid" ] || fail "no window"
    xdotool windowfocus --sync "$wid"
    sleep 0.3
}

# Waits until the live journals hold, together, $2 (default 1) lines matching $1.
wait_lines() {
    local want=${2:-1}
    for _ in $(seq 300); do
        [ "$(cat "$dir"/*.journal 2>/dev/null | grep -c -- "$1" || true)" -ge "$want" ] && return 0
        sleep 0.05
    done
    fail "no $want journal line(s) like '$1'"
}

# Waits for a window of $pid other than $1 to show and focuses it: sets $wid.
next_window() {
    local was=$1
    wid=
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$was" | head -1) || true
        [ -n "$wid" ] && break
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no window after $was"
    xdotool windowfocus --sync "$wid"
    sleep 0.3
}
