#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# release_test.sh: what is released, from clean clones of the commit checked out. make package
# run twice, in different folders and under different umasks, must give the same bytes; the
# make dist tarball must hold the tracked files alone, under one folder, and pass make test.
# Too slow for every make test; CI runs it.
set -u
. "$(dirname "$0")/lib.sh"
top=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in 1:022 2:077; do
	dir=$work/clone${run%:*}
	git clone -q "$top" "$dir" &&
		(cd "$dir" && umask "${run#*:}" && make package) >"$dir.log" 2>&1 ||
		{ cat "$dir.log" >&2; fail "make package in $dir"; }
done
for deb in "$work"/clone1/build/package/*.deb; do
	name=$(basename "$deb")
	cmp "$deb" "$work/clone2/build/package/$name" || fail "$name differs between two builds"
done
[ -n "$(ls "$work"/clone1/build/package/*.deb 2>/dev/null)" ] || fail "no .deb was made"

(cd "$work/clone1" && make dist) >"$work/dist.log" 2>&1 || { cat "$work/dist.log" >&2; fail "make dist"; }
tarball=$(tail -n 1 "$work/dist.log")
version=$(basename "$tarball" .tar.gz)
expect_eq "tarball's files" "$(tar -tzf "$tarball" | grep -v '/$' | sort)" \
	"$(git -C "$top" ls-files | sed "s|^|$version/|" | sort)"
tar -xzf "$tarball" -C "$work"
(cd "$work/$version" && make test) >"$work/unpacked.log" 2>&1 ||
	{ tail -n 40 "$work/unpacked.log" >&2; fail "make test in the unpacked tarball"; }
finish
