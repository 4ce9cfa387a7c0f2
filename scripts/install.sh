#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# install.sh BUILD_DIR PREFIX: `cmake --install BUILD_DIR --prefix PREFIX`, which lists the
# files it installs in BUILD_DIR/install_manifest.txt; first it adds to
# BUILD_DIR/install_folders.txt each folder that the install is about to create, so that
# uninstall.sh removes those folders and no other, and it keeps PREFIX in
# BUILD_DIR/install_prefix.txt, so that uninstall.sh knows which prefix the manifest is of.
set -euo pipefail
build=$1 prefix=$(realpath -m "$2")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null
record=$build/install_folders.txt
touch "$record"
{
	# What an earlier install created and is gone since is no longer its to remove.
	while read -r f; do [ ! -d "$f" ] || echo "$f"; done <"$record"
	(cd "$stage$prefix" && find . -mindepth 1 -type d) | while read -r d; do
		f=$prefix/${d#./}
		[ -e "$f" ] || [ -L "$f" ] || echo "$f"
	done
	[ -e "$prefix" ] || echo "$prefix"
} | sort -u -o "$record"
printf '%s\n' "$prefix" >"$build/install_prefix.txt"
cmake --install "$build" --prefix "$prefix"
