#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# in-root.sh RELEASE COMMAND...: runs COMMAND in a fresh clone of this repository's HEAD,
# in a container (systemd-nspawn, which needs no systemd running) over a Debian RELEASE root
# (bookworm, trixie, sid, ...) that has only the toolchain, as a newcomer's machine would:
# debootstrap minbase plus g++, CMake, Ninja, make and git. The root is made once and kept in
# CONBITS_ROOTS (/var/tmp/conbits-roots); each run works on a throwaway overlay of it, so every
# run starts from the same untouched root. Needs root.
# With CONBITS_USER=NAME, the packages of deps.sh's groups CONBITS_DEPS (test) are installed
# first, and COMMAND runs as NAME, a user who is not root, in a clone under "~/a b/l'été/".
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
	! mountpoint -q "$top" || umount -l "$top"
	rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work"/{upper,work,merged} "$base.archives/partial"
mount -t overlay overlay -o "lowerdir=$base,upperdir=$work/upper,workdir=$work/work" "$top"
user=${CONBITS_USER:-} home=/root/conbits
[ -z "$user" ] || home="/home/$user/a b/l'été/conbits"
git clone -q "$src" "$top$home"

# Downloaded packages are kept between runs, so that a run fetches each one once.
systemd-nspawn -q --keep-unit --register=no -M "conbits-${work##*.}" -D "$top" --bind="$base.archives:/var/cache/apt/archives" \
	--resolv-conf=copy-host --chdir="$home" --setenv=TERM="${TERM:-dumb}" ${CI:+--setenv=CI="$CI"} \
	--setenv=HOME=/root --setenv=PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
	/bin/bash -c 'set -e
		if [ -n "$0" ]; then
			useradd -m "$0" 2>/dev/null || true
			chown -R "$0:" "/home/$0" && bash scripts/deps.sh $1
			shift && exec runuser -u "$0" -- env HOME="/home/$0" "$@"
		fi
		shift && exec "$@"' "$user" "${CONBITS_DEPS:-test}" "$@"
