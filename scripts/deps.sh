#!/bin/sh
# Installs every Debian package the project needs; quiet and quick when all are present.
set -eu
here=$(dirname "$0")
missing=""
for pkg in $(grep -v '^#' "$here/debian-packages.txt"); do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $pkg" ;;
    esac
done
# The editor packages' tools come from npm: the machine's own Node.js when it
# has one, else Debian's.
command -v npm >/dev/null 2>&1 || missing="$missing npm"
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
