#!/usr/bin/env bash
# Runs each fuzz target of BUILD (made by `make fuzz`) for SECONDS, starting
# from the seeds here and the corpus earlier runs left in BUILD/corpus.
# A crash, a leak or undefined behaviour fails the run; the input that caused
# it is left in BUILD/artifacts, to be replayed as a test case.
#
# Usage: tests/fuzz/run.sh BUILD SECONDS
set -euo pipefail
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp

status=0
for target in fuzz_dispatcher fuzz_report_descriptor fuzz_profile; do
    case $target in
        # A selector byte and up to 80 bytes of report. Qt fills caches as
        # the windows are used, which would have every input checked for
        # leaks; the check at the end still runs.
        fuzz_dispatcher) options=(-max_len=81 -detect_leaks=0) ;;
        # The largest descriptor hidraw hands over.
        fuzz_report_descriptor) options=(-max_len=4096) ;;
        # A complete profile is under 10 KB as written; room for one written
        # by hand with wider spacing.
        fuzz_profile) options=(-max_len=16384) ;;
    esac
    corpus=$build/corpus/$target
    mkdir -p "$corpus" "$build/artifacts"
    echo "fuzz: $target for ${seconds} s"
    if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" "${options[@]}" \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$corpus" "$here/seeds/$target"; then
        echo "fuzz: $target FAILED; inputs in $build/artifacts"
        status=1
    fi
done
exit $status
