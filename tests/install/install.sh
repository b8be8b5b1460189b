#!/bin/sh
# Installs the build tree into a fresh prefix and checks the installed layout.
#   install.sh <build dir> <prefix> <library dir below the prefix>
set -eu
build=$1
prefix=$2
libdir=$3
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

missing=0
for f in $libdir/libQuorvelSharedLib.so.42.1.21.49 $libdir/libQuorvelSharedLib.so.42 $libdir/libQuorvelSharedLib.so \
         include/quorveldll.h $libdir/pkgconfig/QuorvelSharedLib.pc \
         $libdir/cmake/QuorvelSharedLib/QuorvelSharedLibConfig.cmake \
         $libdir/cmake/QuorvelSharedLib/QuorvelSharedLibConfigVersion.cmake \
         $libdir/cmake/QuorvelSharedLib/QuorvelSharedLibTargets.cmake \
         bin/quorvel bin/quorvel-camsim; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; missing=1; }
done
[ $missing -eq 0 ] || exit 1
[ "$(readlink "$prefix/$libdir/libQuorvelSharedLib.so.42")" = libQuorvelSharedLib.so.42.1.21.49 ] ||
    { echo "libQuorvelSharedLib.so.42 does not name the versioned file"; exit 1; }
soname=$(objdump -p "$prefix/$libdir/libQuorvelSharedLib.so" | awk '/SONAME/ { print $2 }')
[ "$soname" = libQuorvelSharedLib.so.42 ] || { echo "soname is '$soname'"; exit 1; }
# The installed tool must find the installed library, not the build tree's.
ldd "$prefix/bin/quorvel" | grep -q "=> $prefix/$libdir/libQuorvelSharedLib.so.42" ||
    { echo "bin/quorvel does not load the installed library:"; ldd "$prefix/bin/quorvel"; exit 1; }
if grep -rq "$(cd "$build" && pwd)" "$prefix/$libdir/cmake" "$prefix/$libdir/pkgconfig"; then
    echo "installed package files point into the build tree"; exit 1
fi
echo "installed into $prefix"
