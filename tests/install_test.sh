#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# install_test.sh SOURCE_DIR BUILD_DIR PREFIX BINDIR LIBDIR INCLUDEDIR MANDIR: installs into
# PREFIX and checks what landed there, in the install directories CMake chose; then uninstalls
# and checks that only what was there before is left.
set -u
. "$(dirname "$0")/lib.sh"
source=$1 build=$2 prefix=$3 bin=$4 lib=$5 include=$6 man=$7
rm -rf "$prefix"
mkdir -p "$prefix/$bin" "$prefix/$include"
touch "$prefix/$bin/other" "$prefix/$include/other.h"
before=$(cd "$prefix" && find . | sort)
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

for f in "$bin"/{powlog,greeter,echoback} "$include/conbits/io.h" "$lib/libconbits-io.a" \
	"$lib"/cmake/conbits/conbits{Config,ConfigVersion,Targets}.cmake "$lib/pkgconfig/conbits-io.pc"; do
	expect_file "$prefix/$f"
done
bash "$(dirname "$0")/installed_test.sh" "$prefix/$bin" "$prefix/$man" >/dev/null ||
	fail "the installed programs and pages"
expect_eq "pkg-config prefix" \
	"$(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --variable=prefix conbits-io)" "$prefix"

# Into a scratch copy, so that the consumer test still finds the installed files.
cp -a "$prefix" "$prefix.uninstalled"
bash "$source/scripts/uninstall.sh" "$build" "$prefix.uninstalled" || fail "uninstall"
expect_eq "left after uninstall" "$(cd "$prefix.uninstalled" && find . | sort)" "$before"
rm -rf "$prefix.uninstalled"
finish
