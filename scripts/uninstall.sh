#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# uninstall.sh BUILD_DIR PREFIX: removes from PREFIX what `cmake --install BUILD_DIR --prefix
# PREFIX` puts there, and nothing else: each file it installs, then each folder on their way
# that this leaves empty. What it installs is found by installing into a scratch folder.
set -euo pipefail
build=$1 prefix=$(realpath -m "$2")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null
root=$stage$prefix
(cd "$root" && find . ! -type d) | while read -r f; do
	rm -f "$prefix/$f"
done
(cd "$root" && find . -mindepth 1 -depth -type d) | while read -r d; do
	[ ! -d "$prefix/$d" ] || rmdir --ignore-fail-on-non-empty "$prefix/$d"
done
