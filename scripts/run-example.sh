#!/bin/sh
# The main job: shows the programs that this build made.
set -eu
build=$1
bin="$build/bin"
echo "Programs in $bin:"
for prog in "$bin"/*; do
    [ -x "$prog" ] && [ -f "$prog" ] || continue
    case "$prog" in *.so) continue ;; esac
    echo
    echo "== $(basename "$prog") --help"
    "$prog" --help || true
done
