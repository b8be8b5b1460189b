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
loaded=$(ldd "$prefix/bin/quorvel" | awk '/libQuorvelSharedLib/ { print $3 }')
[ -n "$loaded" ] && [ "$(readlink -f "$loaded")" = "$(readlink -f "$prefix/$libdir/libQuorvelSharedLib.so.42")" ] ||
    { echo "bin/quorvel does not load the installed library:"; ldd "$prefix/bin/quorvel"; exit 1; }
if grep -rq "$(cd "$build" && pwd)" "$prefix/$libdir/cmake" "$prefix/$libdir/pkgconfig"; then
    echo "installed package files point into the build tree"; exit 1
fi
# The installed Python module, when built, must load the installed library.
module=$(find "$prefix" -name 'quorvel.*.so' | head -n 1)
if [ -n "$module" ]; then
    PYTHONPATH=$(dirname "$module") /usr/bin/python3 -c '
import sys, quorvel
maps = open("/proc/self/maps").read()
sys.exit(0 if sys.argv[1] + "/libQuorvelSharedLib.so.42" in maps and quorvel.get_version() == "42.1.21.49" else 1)
' "$prefix/$libdir" || { echo "installed Python module does not load the installed library"; exit 1; }
    for stub in quorvel.pyi quorvel-stubs/__init__.pyi; do
        [ -s "$(dirname "$module")/$stub" ] || { echo "type stub not installed: $stub"; exit 1; }
    done
fi
echo "installed into $prefix"
