# Sourced by the accessibility test and the CPU probe: starts the accessibility
# bus of the current D-Bus session and waits up to 10 s for it to answer, so
# that the program started next finds it. Leaves the launcher's pid in
# a11y_bus_pid.
#
#   start_a11y_bus [LAUNCHER]
start_a11y_bus() {
    "${1:-/usr/libexec/at-spi-bus-launcher}" --launch-immediately >/dev/null 2>&1 &
    a11y_bus_pid=$!
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress >/dev/null 2>&1 && return 0
        sleep 0.1
    done
}
