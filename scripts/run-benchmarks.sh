#!/bin/sh
# Runs every benchmark program of a build, then the whole-command timings.
set -eu
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
for bench in "$build"/bench/*; do
    [ -x "$bench" ] && [ -f "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench"
done
for script in "$root"/bench/*.sh; do
    [ -f "$script" ] || continue
    echo "== $(basename "$script")"
    sh "$script" "$build"
done
