#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into fuzz/build (or $QUORVEL_FUZZ_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")"
build=${QUORVEL_FUZZ_BUILD_DIR:-build}
CXX=${CXX_FUZZ:-clang++} cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" >/dev/null
cmake --build "$build" -j"${QUORVEL_FUZZ_JOBS:-$(nproc)}"
