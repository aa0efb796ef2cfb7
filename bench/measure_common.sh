#!/usr/bin/env bash
# Sourced by the measure_*.sh scripts, which all run a probe built in a build
# folder they are given, under a virtual X server.

bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# Where the Release build of the probes is unless a script is told otherwise.
default_build="$bench_dir/../../build-perf"

# need_probe BUILD_DIR TARGET: installs the X server and input tools, then
# sets probe to the built TARGET in BUILD_DIR, or stops with the command that
# builds it before any X server is started.
need_probe() {
    "$bench_dir/../tools/deps.sh" bench
    probe="$1/bench/$2"
    if [ ! -x "$probe" ]; then
        echo "missing $probe: cmake --build $1 --target $2" >&2
        exit 1
    fi
}
