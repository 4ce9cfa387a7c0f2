#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# uninstall.sh BUILD_DIR PREFIX: removes from PREFIX the files that the last install from
# BUILD_DIR put there (CMake's install_manifest.txt), then those of the folders install.sh
# created (install_folders.txt) that this leaves empty. A folder that was there before the
# install stays, empty or not, and so does a link. The manifest is of one prefix, the last
# install's: for another it removes nothing and says so, with status 1.
set -euo pipefail
build=$1 prefix=$(realpath -m "$2")
manifest=$build/install_manifest.txt record=$build/install_folders.txt
if [ ! -f "$manifest" ]; then
	echo "uninstall.sh: no $manifest: nothing was installed from $build" >&2
	exit 1
fi
last=$(cat "$build/install_prefix.txt" 2>/dev/null) || last=$prefix # from before it was kept
if [ "$last" != "$prefix" ]; then
	echo "uninstall.sh: the last install from $build was into $last, not $prefix" >&2
	exit 1
fi
under() { case $1 in "$prefix" | "$prefix"/*) return 0 ;; *) return 1 ;; esac }
removed=0
while read -r f || [ -n "$f" ]; do # CMake ends the last line with no newline
	if under "$f" && { [ -e "$f" ] || [ -L "$f" ]; }; then
		rm -f "$f" && removed=$((removed + 1))
	fi
done <"$manifest"
[ $removed -gt 0 ] || echo "uninstall.sh: nothing to undo: no file of the last install from $build is in $prefix" >&2
touch "$record"
# Deepest first, so that a folder is empty by the time its parent's turn comes.
sort -r "$record" | while read -r d; do
	! under "$d" || [ -L "$d" ] || rmdir "$d" 2>/dev/null || true
done
kept=$(while read -r d; do under "$d" || echo "$d"; done <"$record")
printf '%s' "${kept:+$kept$'\n'}" >"$record"
