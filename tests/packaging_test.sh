#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# packaging_test.sh: what is released, checked with Debian's own tools on clean clones of the
# commit checked out. The binary packages (make package, tests on) hold what they should and
# lintian finds no error or warning in them, nor in the source package; autopkgtest passes on
# this machine and leaves no package installed; reprotest finds no difference, with and
# without the tests; the make dist tarball holds the tracked files alone, with plain modes,
# and passes make test. Too slow for every make test; CI runs it.
set -u
. "$(dirname "$0")/lib.sh"
top=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
version=$(sed -n 's/^  VERSION //p' "$top/CMakeLists.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clone() { git clone -q "$top" "$1"; }
run() { # WHAT DIR COMMAND...: COMMAND in DIR, its output kept in $work/WHAT.log, shown if it fails
	echo "=== $1" >&2
	(cd "$2" && "${@:3}") >"$work/$1.log" 2>&1 || { tail -n 40 "$work/$1.log" >&2; fail "$1"; }
}

expect_eq "debian/changelog's version" \
	"$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)" "$version"

clone "$work/binary"
run "make package" "$work/binary" make package
out=$work/binary/build/package
programs=$out/conbits_${version}_amd64.deb dev=$out/libconbits-io-dev_${version}_amd64.deb
for f in "$programs" "$dev" "$out/conbits-dbgsym_${version}_amd64.deb" \
	"$out/conbits_${version}_amd64.changes" "$out/conbits_${version}_amd64.buildinfo"; do
	[ -f "$f" ] || fail "missing $f"
done
grep -q '100% tests passed' "$work/make package.log" || fail "dh_auto_test did not run the suite"
# Each package holds exactly its own files.
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort; }
lib=usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)
expect_eq "conbits" "$(files "$programs")" "$(printf '%s\n' usr/bin/{echoback,greeter,powlog} \
	usr/share/doc/conbits/{changelog.gz,copyright} usr/share/man/man1/{echoback,greeter,powlog}.1.gz | sort)"
expect_eq "libconbits-io-dev" "$(files "$dev")" "$(printf '%s\n' usr/include/conbits/io.h \
	"$lib"/cmake/conbits/conbits{Config,ConfigVersion,Targets{,-none}}.cmake "$lib"/libconbits-io.a \
	"$lib"/pkgconfig/conbits-io.pc usr/share/doc/libconbits-io-dev/{changelog.gz,copyright} \
	usr/share/man/man3/{conbits-io,print_int,print_nl,print_string,read_int}.3.gz | sort)"
# No path of ours is another Debian package's, so that both can be installed (man3/io.3.gz
# once was libaio-dev's too): checked against the Contents of this machine's release.
read -r uri suite < <(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' |
	awk '$2 !~ /-/' | sort -u | head -n 1)
for arch in "$(dpkg --print-architecture)" all; do
	/usr/lib/apt/apt-helper download-file "${uri}dists/$suite/main/Contents-$arch.gz" \
		"$work/contents-$arch.gz" >/dev/null 2>&1 || fail "Contents-$arch of $suite from $uri"
done
{ files "$programs" && files "$dev"; } >"$work/paths"
expect_eq "paths other packages of $suite ship" \
	"$(zcat "$work"/contents-*.gz | awk 'NR == FNR { ours[$1]; next } $1 in ours' "$work/paths" -)" ""
lintian -EvIL +pedantic --tag-display-limit 0 --fail-on error,warning "$out/conbits_${version}_amd64.changes" ||
	fail "lintian on the binary packages"

clone "$work/source/conbits"
run "dpkg-buildpackage -S" "$work/source/conbits" dpkg-buildpackage -S -us -uc
lintian -EvIL +pedantic --tag-display-limit 0 --fail-on error,warning "$work/source/conbits_${version}_source.changes" ||
	fail "lintian on the source package"

installed() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | sed -n 's/^ii  //p' | sort; }
installed >"$work/before"
run autopkgtest "$work/binary" autopkgtest "$out/conbits_${version}_amd64.changes" -- null
mapfile -t added < <(installed | comm -13 "$work/before" -)
[ ${#added[@]} -eq 0 ] || apt-get purge -y -q "${added[@]}" >/dev/null 2>&1 ||
	fail "could not purge what autopkgtest installed: ${added[*]}"
expect_eq "packages autopkgtest left" "$(installed | comm -13 "$work/before" -)" ""

# user_group needs sudo -h, which bookworm's sudo refuses; time preloads libfaketime, whose own
# descriptors the descriptor tests would see.
for pair in "+all,-user_group:nocheck" "+all,-user_group,-time:"; do
	variations=${pair%:*} options=${pair#*:} dir=$work/reprotest-${pair#*:}
	clone "$dir/src"
	run "reprotest $variations${options:+ with $options}" "$dir" reprotest --variations="$variations" \
		--store-dir="$dir/store" -c "DEB_BUILD_OPTIONS=$options dpkg-buildpackage --no-sign -b" src '../*.deb' -- null
done

run "make dist" "$work/binary" make dist
tarball=$work/binary/$(tail -n 1 "$work/make dist.log")
name=conbits-$version
expect_eq "tarball's files" "$(tar -tzf "$tarball" | grep -v '/$' | sort)" \
	"$(git -C "$top" ls-files | sed "s|^|$name/|" | sort)"
expect_eq "tarball's modes" "$(tar -tvzf "$tarball" | awk '{ print $1 }' | sort -u)" \
	"$(printf '%s\n' -rw-r--r-- -rwxr-xr-x drwxr-xr-x)"
tar -xzf "$tarball" -C "$work"
said=$(cd "$work/$name" && make dist 2>&1 >/dev/null; echo "status $?")
grep -qx '.*make dist needs a git clone: .*' <<<"$said" && [ "$(wc -l <<<"$said")" -eq 2 ] &&
	[ "$(tail -n 1 <<<"$said")" = "status 2" ] || fail "make dist outside a git clone: [$said]"
run "make test in the unpacked tarball" "$work/$name" make test
finish
