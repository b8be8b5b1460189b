#!/bin/sh
# Fails if the shared object exports any defined symbol outside QuorvelDll.
lib="$1"
symbols=$(nm -D --defined-only -C "$lib") || exit 1
echo "$symbols" | grep -q 'QuorvelDll::GetVersion' || { echo "QuorvelDll symbols missing"; exit 1; }
others=$(echo "$symbols" | grep -v 'QuorvelDll::' | grep -Ev ' (_init|_fini|_edata|_end|__bss_start)$')
if [ -n "$others" ]; then
    echo "Exported besides QuorvelDll:"
    echo "$others"
    exit 1
fi
