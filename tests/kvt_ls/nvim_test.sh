#!/bin/sh
# A real editor using kvt-ls: headless Neovim, set up only through
# editors/nvim, opens a score with a mistake on its third line.
# Usage: nvim_test.sh <source tree> <kvt-ls program>
set -eu
src=$1
server=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#1 t120 l8\nc d e f\n  g a v200 b\n' > "$work/song.kvt"
# The volume command «v200» starts in column 6 (0-based) of line 2 and
# takes four bytes.
HOME=$work XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work XDG_STATE_HOME=$work \
KVT_EDITORS=$src/editors/nvim KVT_SERVER=$server \
KVT_MESSAGE='Illegal parameter in 3.' KVT_LINE=2 KVT_COL=6 KVT_END_COL=10 \
    timeout 60 nvim --headless -n -i NONE -u "$src/tests/kvt_ls/nvim_init.lua" "$work/song.kvt" \
    -c "luafile $src/tests/kvt_ls/nvim_check.lua" < /dev/null
