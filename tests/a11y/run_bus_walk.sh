#!/usr/bin/env bash
# Runs the program under a virtual X server with a private D-Bus session and
# its own accessibility bus, and lets walk_tree.py drive it through AT-SPI.
#
#   run_bus_walk.sh PROGRAM
#
# Exits 77 (skipped) only when a tool it needs is not installed.
set -euo pipefail
program=$(realpath "$1")
here="$(cd "$(dirname "$0")" && pwd)"
launcher=/usr/libexec/at-spi-bus-launcher
# The system's Python, where Debian installs pyatspi (not one a version
# manager puts first on PATH).
python=/usr/bin/python3
[ -x "$python" ] || python=python3
for tool in Xvfb dbus-run-session dbus-send "$python"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/deps.sh test)"; exit 77; }
done
[ -x "$launcher" ] || { echo "SKIP: $launcher is missing (at-spi2-core)"; exit 77; }
"$python" -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

# Nothing of the developer's session or home may leak in, nor anything out.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" XDG_CONFIG_HOME="$scratch/config"
export XDG_DATA_HOME="$scratch/data" XDG_CACHE_HOME="$scratch/cache" XDG_STATE_HOME="$scratch/state"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
cd "$scratch" # SAVE would write its file here

export VANTEL_PYTHON="$python" VANTEL_PROGRAM="$program" VANTEL_WALK="$here/walk_tree.py" VANTEL_LAUNCHER="$launcher" \
    VANTEL_A11Y_BUS="$here/../../tools/a11y_bus.sh"
exec "$here/../xvfb.sh" 1024x768x24 dbus-run-session -- bash -c '
    set -u
    . "$VANTEL_A11Y_BUS"
    start_a11y_bus "$VANTEL_LAUNCHER"
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$VANTEL_PROGRAM" &
    app=$!
    "$VANTEL_PYTHON" "$VANTEL_WALK"
    status=$?
    kill "$app" "$a11y_bus_pid" 2>/dev/null
    wait "$app" "$a11y_bus_pid" 2>/dev/null
    exit $status'
