#!/usr/bin/env bash
# Runs a command on a virtual X server of its own, and returns only once that
# server is gone.
#
#   tests/xvfb.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGS...]
#
# Not xvfb-run: it picks a display number by looking for lock files without
# taking one, and it returns while its server is still shutting down. The
# next test's server could then start on the same number and lose its socket
# to the old one's clean-up, so that its client found no display. Here the
# server picks a free number itself (-displayfd) and is waited for at the end.
# It never resets (-noreset): by default an X server resets when its last
# client leaves, and the accessibility bus launcher opens and closes the
# display just before the program connects, which then sometimes found none.
set -euo pipefail
screen=$1
shift
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is not installed (tools/deps.sh test)"; exit 1; }
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$number" >/dev/null 2>&1 &
server=$!
stop() {
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    rm -f "$number"
}
trap stop EXIT
# The number is written once the server takes connections; a loaded machine
# may need a while.
for _ in $(seq 600); do
    [ -s "$number" ] && break
    kill -0 "$server" 2>/dev/null || { echo "FAIL: Xvfb did not start"; exit 1; }
    sleep 0.05
done
[ -s "$number" ] || { echo "FAIL: Xvfb gave no display within 30 s"; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$number")"
unset WAYLAND_DISPLAY
status=0
"$@" || status=$?
exit "$status"
