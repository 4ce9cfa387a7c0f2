#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# in-root.sh RELEASE COMMAND...: runs COMMAND in a fresh clone of this repository's HEAD,
# inside a Debian RELEASE root (bookworm, trixie, sid, ...) that has only the toolchain, as
# a newcomer's machine would: debootstrap minbase plus g++, CMake, Ninja, make and git. The
# root is made once and kept in CONBITS_ROOTS (/var/tmp/conbits-roots); each run works on a
# throwaway overlay of it, so every run starts from the same untouched root. Needs root.
#   scripts/in-root.sh trixie make test
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: scripts/in-root.sh RELEASE COMMAND..." >&2; exit 2; }
release=$1
shift
src=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
roots=${CONBITS_ROOTS:-/var/tmp/conbits-roots}
mirror=${CONBITS_MIRROR:-http://deb.debian.org/debian}
base=$roots/$release

if [ ! -d "$base" ]; then
	bash "$src/scripts/deps.sh" root
	mkdir -p "$roots"
	rm -rf "$base.new"
	debootstrap --variant=minbase --include=g++,cmake,ninja-build,make,git,ca-certificates \
		"$release" "$base.new" "$mirror" >"$base.log" 2>&1 ||
		{ echo "in-root.sh: debootstrap $release failed; see $base.log" >&2; exit 1; }
	# The mirror's unstable Release files may be past their Valid-Until date.
	[ "$release" != sid ] && [ "$release" != unstable ] ||
		echo 'Acquire::Check-Valid-Until "false";' >"$base.new/etc/apt/apt.conf.d/99conbits-valid-until"
	mv "$base.new" "$base"
fi

work=$(mktemp -d "$roots/run.XXXXXX")
top=$work/merged
cleanup() {
	for m in dev/pts dev sys proc var/cache/apt/archives; do
		! mountpoint -q "$top/$m" || umount -l "$top/$m"
	done
	! mountpoint -q "$top" || umount -l "$top"
	rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work"/{upper,work,merged} "$base.archives/partial"
mount -t overlay overlay -o "lowerdir=$base,upperdir=$work/upper,workdir=$work/work" "$top"
mount -t proc proc "$top/proc"
mount -t sysfs sys "$top/sys"
mount --bind /dev "$top/dev"
mount --bind /dev/pts "$top/dev/pts"
# Downloaded packages are kept between runs, so that a run fetches each one once.
mount --bind "$base.archives" "$top/var/cache/apt/archives"
cp /etc/resolv.conf "$top/etc/resolv.conf" 2>/dev/null || true
git clone -q "$src" "$top/root/conbits"

chroot "$top" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" ${CI:+CI="$CI"} \
	PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
	bash -c 'cd /root/conbits && "$@"' in-root "$@"
