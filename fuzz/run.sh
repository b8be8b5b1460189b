#!/usr/bin/env bash
# Runs every fuzz target for the given seconds, one after the other, starting
# from its seed corpus in fuzz/corpus/<target>. New inputs go to a scratch
# corpus (fuzz/build/corpus/<target>) so the committed seeds stay small.
# A crash leaves its input in fuzz/build/crashes/ and fails the run.
#   fuzz/run.sh <seconds> [target ...]
set -euo pipefail
cd "$(dirname "$0")"
seconds=${1:?usage: fuzz/run.sh <seconds> [target ...]}
shift
build=${QUORVEL_FUZZ_BUILD_DIR:-build}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for exe in "$build"/fuzz_*; do
        [ -f "$exe" ] && [ -x "$exe" ] && targets+=("$(basename "$exe")")
    done
fi
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p "$build/crashes"
status=0
for target in "${targets[@]}"; do
    ok=1
    name=${target#fuzz_}
    mkdir -p "$build/corpus/$name"
    echo "== $target for ${seconds}s"
    # -timeout: a single input taking longer is a hang and fails like a crash.
    "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$name-" \
        "$build/corpus/$name" "corpus/$name" 2>"$build/$name.log" || ok=0
    grep -E '^#[0-9]+' "$build/$name.log" | tail -1 || true
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$build/$name.log" || true
    if [ $ok -eq 0 ]; then
        status=1
        tail -60 "$build/$name.log"
    fi
done
exit $status
