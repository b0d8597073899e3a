#!/usr/bin/env bash
# Runs every benchmark of BUILD one after the other and prints its figures
# (`make bench`). The soak takes minutes. Exits non-zero when a benchmark
# fails; the soak fails when the tool's memory grew by 2 MiB or more.
#
# Usage: bench/run.sh BUILD
set -uo pipefail
build=$1
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "machine: $(nproc) cores (nproc), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

status=0
run() {
    echo "== $*"
    "$@" || { echo "== FAILED: $*"; status=1; }
}
for name in hid_roundtrip roundtrip_stack memory_read phonebook_read profile_transfer write_all grid_fill \
    chart_paint frame_cpu \
    startup; do
    run "$build/bench/$name/bench_$name"
done
# The start-up again on an X server: what a desktop session pays for the
# display connection and its fonts.
if command -v xvfb-run >/dev/null; then
    echo "== start-up on Xvfb"
    QT_QPA_PLATFORM=xcb xvfb-run -a "$build/bench/startup/bench_startup" ||
        { echo "== FAILED: start-up on Xvfb"; status=1; }
fi
run "$build/bench/soak/bench_soak"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
