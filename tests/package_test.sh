#!/usr/bin/env bash
# package_test.sh BUILD_DIR WORK_DIR VERSION: builds the .deb and looks inside it.
set -u
. "$(dirname "$0")/lib.sh"
build=$1 work=$2 version=$3
rm -rf "$work"
mkdir -p "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
	{ cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$work/conbits_${version}_amd64.deb
expect_file "$deb"

contents=$(dpkg-deb -c "$deb")
for f in usr/bin/powlog usr/bin/greeter usr/bin/echoback usr/share/man/man1/powlog.1.gz \
	usr/share/man/man1/greeter.1.gz usr/share/man/man1/echoback.1.gz \
	usr/share/man/man3/io.3.gz usr/include/conbits/io.h; do
	grep -q " \./$f\$" <<<"$contents" || fail "$f is not in the package"
done
expect_eq "maintainer" "$(dpkg-deb -f "$deb" Maintainer)" \
	"conbits maintainers <maintainers@conbits.invalid>"
grep -q 'libc6 (>= ' <<<"$(dpkg-deb -f "$deb" Depends)" ||
	fail "Depends lacks what dpkg-shlibdeps finds: $(dpkg-deb -f "$deb" Depends)"
description=$(dpkg-deb -f "$deb" Description)
[ "$(wc -l <<<"$description")" -gt 2 ] || fail "no long description"
grep -q ';' <<<"$description" && fail "stray list separators in the description"

dpkg-deb -x "$deb" "$work/root"
expect_eq "packaged greeter" "$("$work/root/usr/bin/greeter")" "hello"
finish
