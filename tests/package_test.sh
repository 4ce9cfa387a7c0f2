#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# package_test.sh BUILD_DIR WORK_DIR VERSION PREFIX LIBDIR [sanitized]: builds the two .debs
# and looks inside them; lintian, where it is installed, must find nothing to warn of.
set -u
. "$(dirname "$0")/lib.sh"
build=$1 work=$2 version=$3 prefix=$4 lib=$5 sanitized=${6:-}
rm -rf "$work"
mkdir -p "$work"
(umask 022 && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work") >"$work/cpack.log" 2>&1 ||
	{ cat "$work/cpack.log" >&2; fail "cpack"; }
programs=$work/conbits_${version}_amd64.deb
dev=$work/libconbits-io-dev_${version}_amd64.deb
expect_file "$programs"
expect_file "$dev"
# A Debian build (prefix /usr) puts the library in the multiarch directory.
[ "$prefix" != /usr ] || expect_eq "libdir" "$lib" "lib/$(gcc -print-multiarch)"

holds() { # deb, files...
	local deb=$1 contents
	contents=$(dpkg-deb -c "$deb")
	shift
	for f in "$@"; do
		grep -q " \./usr/$f\$" <<<"$contents" || fail "usr/$f is not in $(basename "$deb")"
	done
}
holds "$programs" bin/{powlog,greeter,echoback} share/man/man1/{powlog,greeter,echoback}.1.gz \
	share/doc/conbits/{copyright,changelog.gz}
holds "$dev" include/conbits/io.h "$lib/libconbits-io.a" "$lib/cmake/conbits/conbitsConfig.cmake" \
	"$lib/pkgconfig/conbits-io.pc" share/man/man3/{io,print_string,print_nl,print_int,read_int}.3.gz \
	share/doc/libconbits-io-dev/{copyright,changelog.gz}
dpkg-deb -c "$programs" | grep -qE '/(include|man3|pkgconfig)/' && fail "development files in conbits"
dpkg-deb -c "$dev" | grep -qE '/(bin|man1)/' && fail "programs in libconbits-io-dev"

for deb in "$programs" "$dev"; do
	name=$(basename "$deb")
	expect_eq "maintainer of $name" "$(dpkg-deb -f "$deb" Maintainer)" \
		"conbits maintainers <maintainers@conbits.invalid>"
	description=$(dpkg-deb -f "$deb" Description)
	[ "$(wc -l <<<"$description")" -gt 2 ] || fail "no long description in $name"
	awk 'length > 80 { exit 1 }' <<<"$description" || fail "description lines over 80 in $name"
done
expect_eq "sections" "$(dpkg-deb -f "$programs" Section) $(dpkg-deb -f "$dev" Section)" \
	"utils libdevel"
grep -q 'libc6 (>= ' <<<"$(dpkg-deb -f "$programs" Depends)" ||
	fail "Depends lacks what dpkg-shlibdeps finds: $(dpkg-deb -f "$programs" Depends)"

# lintian judges what ships: a build for /usr (a Debian build, as make package's), not a
# sanitizer build's programs or a package staged from another prefix's directories.
if command -v lintian >/dev/null && [ -z "$sanitized" ] && [ "$prefix" = /usr ]; then
	lintian --fail-on error,warning "$programs" "$dev" >"$work/lintian.log" 2>&1 ||
		{ cat "$work/lintian.log" >&2; fail "lintian"; }
fi

dpkg-deb -x "$programs" "$work/root"
expect_eq "packaged greeter" "$("$work/root/usr/bin/greeter")" "hello"
finish
