#!/usr/bin/env bash
# Runs a probe in a private D-Bus session with the accessibility bus up and
# Qt's bridge on, with or without a listening client (bench/a11y_listen.py):
#
#   bench/a11y_session.sh bus|client PROBE [ARGS...]
#
# Started by measure_cpu.sh inside xvfb-run; prints the probe's output.
set -euo pipefail
what=$1
shift
if [ -z "${VANTEL_IN_SESSION:-}" ]; then
    export VANTEL_IN_SESSION=1
    exec dbus-run-session -- "$0" "$what" "$@"
fi
. "$(dirname "$0")/../tools/a11y_bus.sh"
start_a11y_bus
client=""
if [ "$what" = client ]; then
    ready=$(mktemp -u)
    /usr/bin/python3 "$(dirname "$0")/a11y_listen.py" "$ready" &
    client=$!
    for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.1; done
    rm -f "$ready"
fi
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
if [ -n "$client" ]; then kill -TERM "$client"; wait "$client" || true; fi
kill "$a11y_bus_pid" 2>/dev/null || true
