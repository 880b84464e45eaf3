#!/usr/bin/env bash
# The README's two commands as a newcomer runs them: `git clone`, then `make run` and `make test`
# in a clean Debian 12 root file system that holds a minimal system with git and make and nothing
# else. Not part of `make test`: it needs root and the package archive, and takes about 20 minutes.
#
# Usage: scripts/check-fresh-system.sh [--deep] [--keep]
#   --deep  also runs `make test-deep` there
#   --keep  leaves the root file system and its logs in place (the folder is printed)
#
# The clone is of this repository's committed HEAD. `make run` gets a screen from an X server
# started here (the chroot shares this machine's abstract X socket); the window is found,
# photographed and closed as a person would close it.
set -euo pipefail

deep=0
keep=0
for argument in "$@"; do
    case $argument in
    --deep) deep=1 ;;
    --keep) keep=1 ;;
    *)
        sed -n 's/^# Usage: //p' "$0" >&2
        exit 2
        ;;
    esac
done
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-system.sh: needs root (mmdebstrap, mount, chroot)" >&2; exit 2; }

repo=$(cd "$(dirname "$0")/.." && git rev-parse --show-toplevel)
# This machine's own tools: mmdebstrap makes the system, the test group gives make run a screen.
bash "$repo/scripts/install-deps.sh" test
command -v mmdebstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null

work=$(mktemp -d /var/tmp/snipwell-fresh.XXXXXX)
root=$work/root
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    umount -R "$root/mnt/source" "$root/tmp" "$root/dev" "$root/proc" 2>/dev/null || true
    if [ "$keep" = 1 ]; then
        echo "kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
say() { echo "== $*"; }

say "making a Debian 12 root file system in $root"
mmdebstrap --quiet --variant=minbase --include=git,make bookworm "$root" \
    "deb http://deb.debian.org/debian bookworm main" \
    "deb http://deb.debian.org/debian bookworm-updates main" \
    "deb http://deb.debian.org/debian-security bookworm-security main"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount -t tmpfs tmpfs "$root/tmp"
mkdir -p "$root/mnt/source"
mount --bind "$repo" "$root/mnt/source"
mount -o remount,bind,ro "$root/mnt/source"

# A login's environment, not this shell's.
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        "$@"
}

say "git clone"
in_root git clone --quiet /mnt/source /root/snipwell

fd_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
pids+=($!)
until [ -s "$fd_file" ]; do sleep 0.1; done
export DISPLAY=":$(head -n1 "$fd_file")"
rm -f "$fd_file"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)

say "make run (installs, builds and starts; log: $work/make-run.log)"
in_root sh -c "cd /root/snipwell && DISPLAY=$DISPLAY make run" >"$work/make-run.log" 2>&1 &
run_pid=$!
window=""
while kill -0 "$run_pid" 2>/dev/null; do
    window=$(xdotool search --onlyvisible --name '^Snipwell 1\.0$' 2>/dev/null | head -n1) && [ -n "$window" ] && break
    sleep 1
done
if [ -z "$window" ]; then
    wait "$run_pid" || true
    tail -n 30 "$work/make-run.log"
    echo "FAIL: make run ended without opening the window"
    exit 1
fi
sleep 2 # the splash second, so that the picture shows the main window on its own
import -window root "$work/make-run.png"
wmctrl -c 'Snipwell 1.0'
run_status=0
wait "$run_pid" || run_status=$?
grep -E '^(build|run|test|desktops|deep): ' "$work/make-run.log" || true
echo "make run: the window opened (screenshot $work/make-run.png); closed, exit code $run_status"
[ "$run_status" = 0 ] || { tail -n 30 "$work/make-run.log"; exit 1; }

# make_in_root TARGET LOG: runs it in the clone, keeps its log, prints its closing lines and time.
make_in_root() {
    local log=$work/$2.log start status=0
    say "make $1 (log: $log)"
    start=$(date +%s)
    in_root sh -c "cd /root/snipwell && make $1" >"$log" 2>&1 || status=$?
    grep -E '^(build|run|test|desktops|deep): |tests passed|tests failed' "$log" || true
    echo "make $1: exit code $status after $(($(date +%s) - start)) s"
    [ "$status" = 0 ] || { tail -n 40 "$log"; return 1; }
}
make_in_root test make-test
# Once more with everything installed and built: the time a developer waits.
make_in_root test make-test-again
[ "$deep" = 0 ] || make_in_root test-deep make-test-deep
say "the fresh system passed"
