#!/bin/sh
# The VS Code extension's TextMate grammar: its assertion files, then every
# example score, in which nothing may be marked illegal (they all compile).
# Usage: grammar_test.sh <source tree>
set -eu
ext=$1/editors/vscode
bin=$ext/node_modules/.bin
if [ ! -x "$bin/vscode-tmgrammar-test" ]; then
    echo "the grammar test's npm packages are missing: run 'make editors-deps'" >&2
    exit 1
fi
cd "$ext"
"$bin/vscode-tmgrammar-test" -g syntaxes/kvt.tmLanguage.json 'test/*.kvt'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1"/examples/*.kvt "$work/"
"$bin/vscode-tmgrammar-snap" -g syntaxes/kvt.tmLanguage.json -s source.kvt "$work/*.kvt" > /dev/null
count=$(ls "$work"/*.kvt.snap | wc -l)
[ "$count" -eq "$(ls "$1"/examples/*.kvt | wc -l)" ] || { echo "not every example was tokenized" >&2; exit 1; }
if grep -n 'invalid\.' "$work"/*.snap; then
    echo "the grammar marks text of the example scores illegal" >&2
    exit 1
fi
echo "grammar: assertion files pass; $count example scores without illegal text"
