#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a while, starting from its
# committed seeds; new findings go to a scratch folder, never to the seeds.
set -eu
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in "$build"/fuzz/*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    scratch=$(mktemp -d)
    echo "== $name ($seconds s)"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
            -artifact_prefix="$build/fuzz-$name-" "$scratch" "$root/fuzz/corpus/$name"; then
        status=1
    fi
    rm -rf "$scratch"
done
exit $status
