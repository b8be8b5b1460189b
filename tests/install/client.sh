#!/bin/sh
# Builds the client project against the installed package and runs it against
# the installed virtual camera on a loopback address of this test's own.
#   client.sh cmake|pkgconfig <prefix> <library dir below the prefix> <client source dir> <work dir> <address> <c++ compiler> [sanitizers]
set -eu
how=$1
prefix=$2
libdir=$3
source=$4
work=$5
address=$6
cxx=$7
sanitize=${8:-}
flags=""
[ -n "$sanitize" ] && flags="-fsanitize=$sanitize -fno-omit-frame-pointer"

rm -rf "$work"
mkdir -p "$work"
case "$how" in
cmake)
    cmake -S "$source" -B "$work" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
        -DCMAKE_CXX_FLAGS="$flags" >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
    cmake --build "$work" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
    ;;
pkgconfig)
    export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
    pkg-config --exists 'QuorvelSharedLib >= 42' || { echo "pkg-config does not find QuorvelSharedLib 42"; exit 1; }
    # Qt wants position-independent code in its clients.
    # shellcheck disable=SC2046,SC2086
    "$cxx" -std=c++17 -fPIC $flags -o "$work/quorvel-client" "$source/client.cpp" \
        $(pkg-config --cflags --libs QuorvelSharedLib) -Wl,-rpath,"$(pkg-config --variable=libdir QuorvelSharedLib)"
    ;;
*)
    echo "unknown build kind: $how"; exit 2 ;;
esac

"$prefix/bin/quorvel-camsim" --address "$address" --rate 2000 2>"$work/camsim.log" &
camsim=$!
trap 'kill $camsim 2>/dev/null; wait $camsim 2>/dev/null || true' EXIT
tries=0
until grep -q "listening on" "$work/camsim.log"; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 $camsim 2>/dev/null; then
        echo "virtual camera did not start:"; cat "$work/camsim.log"; exit 1
    fi
    sleep 0.05
done
"$work/quorvel-client" "$address"
