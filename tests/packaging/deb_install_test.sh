#!/bin/sh
# Builds the Debian package, installs it with apt-get as a user would, runs
# the installed programs from PATH in a scratch folder with a bare
# environment, removes the package and checks that none of its files is left.
# Usage: deb_install_test.sh SOURCE_DIR PACKAGE_BUILD_DIR
# Exits 77 (skipped) where the machine cannot install packages.
set -eu
source_dir=$1
package_build=$2

skip() {
    echo "SKIPPED: $*"
    exit 77
}
command -v apt-get >/dev/null 2>&1 || skip "no apt-get on this machine"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
if dpkg-query -W -f='${Status}' zem 2>/dev/null | grep -q "ok installed"; then
    skip "a zem package is already installed here; the test would remove it"
fi

make -s -C "$source_dir" deb DEB_BUILD="$package_build" >"$package_build.log" 2>&1 ||
    { cat "$package_build.log"; exit 1; }
deb=$(ls "$package_build"/zem_*.deb)

scratch=$(mktemp -d)
cleanup() {
    rm -rf "$scratch"
    apt-get purge -y -qq zem >/dev/null 2>&1 || true
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$deb" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; fail "apt-get install"; }
dpkg-query -L zem | sort >"$scratch/files"

# What a user's shell has: nothing of the build, no library path.
bare() { env -i HOME="$scratch" PATH=/usr/bin:/bin "$@"; }

cd "$scratch"
for program in zemc zemcw zem2mid zem2midw mid2kvt zem2wav zemplay zemfe qzdecode; do
    [ "$(bare sh -c "command -v $program")" = "/usr/bin/$program" ] || fail "$program is not on PATH"
    bare "$program" --version >/dev/null 2>&1 || fail "$program --version"
done

cp /usr/share/doc/zem/examples/demo.kvt .
bare zemc demo >/dev/null || fail "zemc demo"
bare zem2mid -L1 demo >/dev/null || fail "zem2mid demo"
bare zem2wav -L1 demo >/dev/null || fail "zem2wav demo"
bare zem2wav -L1 -o demo.flac demo >/dev/null || fail "zem2wav -o demo.flac demo"
for made in demo.ZEM demo.MID demo.WAV demo.flac; do
    [ -s "$made" ] || fail "$made was not written"
done
# The decoder plug-in is found in its own folder, away from the program.
bare qzdecode demo.WAV >demo.pcm 2>/dev/null || fail "qzdecode found no decoder"
[ "$(stat -c %s demo.pcm)" -eq $(($(stat -c %s demo.WAV) - 44)) ] || fail "qzdecode decoded another length"

# The disk driver writes what the player sounds.  Two seconds of it show
# that the synthesizer found its SoundFont and the device opened; the player
# is stopped then (Ctrl-C), whatever the machine's load made of its start.
bare SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/sound.raw" zemplay -L1 demo.ZEM </dev/null >zemplay.log 2>&1 &
player=$!
waited=0
while [ "$(stat -c %s sound.raw 2>/dev/null || echo 0)" -lt $((2 * 44100 * 4)) ] && [ "$waited" -lt 300 ]; do
    kill -0 "$player" 2>/dev/null || break
    sleep 0.2
    waited=$((waited + 1))
done
kill -INT "$player" 2>/dev/null || true
status=0
wait "$player" || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 130 ] || { cat zemplay.log; fail "zemplay exited with $status"; }
[ "$(od -An -v -td2 -w2 sound.raw | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }')" -gt 100 ] ||
    { cat zemplay.log; fail "zemplay played silence"; }

# The MIME trigger registered the two types, and the manual pages are found.
[ -f /usr/share/mime/application/x-zem.xml ] || fail "application/x-zem not registered"
[ -f /usr/share/mime/text/x-kvt.xml ] || fail "text/x-kvt not registered"
[ "$(bare man -w zem2wav)" = /usr/share/man/man1/zem2wav.1.gz ] || fail "man zem2wav"
[ "$(bare man -w 5 kvt)" = /usr/share/man/man5/kvt.5.gz ] || fail "man 5 kvt"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 zem >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; fail "apt-get purge"; }
left=0
while read -r path; do
    if [ -f "$path" ] || [ -L "$path" ]; then
        echo "left behind: $path"
        left=1
    fi
done <"$scratch/files"
[ -e /usr/lib/x86_64-linux-gnu/zem ] && { echo "left behind: the private library folder"; left=1; }
[ -e /usr/share/mime/application/x-zem.xml ] && { echo "left behind: application/x-zem"; left=1; }
[ "$left" -eq 0 ] || fail "files of the package remain"
echo "installed, ran and removed $(wc -l <"$scratch/files") paths of $(basename "$deb")"
