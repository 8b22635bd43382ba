#!/bin/bash
# Runs a command in a Debian root as a chroot, with proc, sys, dev, dev/pts, dev/shm and a fresh /tmp
# mounted, in mount and PID namespaces of its own: when the command ends, or this script is killed, every
# process it left (a wineserver) is killed and every mount is gone, whatever happened.
#
#   in-root.sh [--scratch DIR] [--bind DIR]... ROOT COMMAND [ARGS...]
#
# --scratch DIR  leave ROOT untouched: the command sees an overlay of ROOT whose writes go to DIR (an empty
#                folder the caller deletes afterwards); without it the command writes into ROOT itself.
# --bind DIR     DIR (absolute) of this machine, read-write at the same path inside.
# The command starts with only HOME=/root, PATH and LANG set. Exit code: the command's (125 when the
# root cannot be set up). Needs root.
set -euo pipefail

if [ "${TARVEN_IN_ROOT_NS:-}" != 1 ]; then
    # --kill-child: if this script is killed, the namespace's first process is too, and with it the rest.
    exec unshare --mount --propagation private --pid --fork --kill-child \
        env TARVEN_IN_ROOT_NS=1 bash "$0" "$@"
fi
unset TARVEN_IN_ROOT_NS
fail() { echo "in-root: $*" >&2; exit 125; }

scratch=
binds=()
while [ $# -gt 0 ]; do
    case "$1" in
        --scratch) scratch=$2; shift 2 ;;
        --bind) [[ "$2" == /* ]] || fail "--bind needs an absolute path: $2"; binds+=("$2"); shift 2 ;;
        *) break ;;
    esac
done
[ $# -ge 2 ] || fail "usage: in-root.sh [--scratch DIR] [--bind DIR]... ROOT COMMAND [ARGS...]"
root=$1; shift
[ -x "$root/bin/sh" ] || fail "no Debian root at $root"

if [ -n "$scratch" ]; then
    mkdir -p "$scratch/upper" "$scratch/work" "$scratch/root"
    mount -t overlay overlay -o "lowerdir=$root,upperdir=$scratch/upper,workdir=$scratch/work" "$scratch/root" \
        || fail "cannot mount an overlay of $root"
    root=$scratch/root
fi
m() { mount "$@" || fail "cannot mount $*"; }
m -t proc proc "$root/proc"
m -t sysfs sys "$root/sys"
m --bind /dev "$root/dev"
m -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
m --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
m -t tmpfs -o mode=1777 shm "$root/dev/shm"
m -t tmpfs -o mode=1777 tmp "$root/tmp"
for b in "${binds[@]}"; do
    mkdir -p "$root$b" || fail "cannot make the mount point $b"
    m --bind "$b" "$root$b"
done

exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
