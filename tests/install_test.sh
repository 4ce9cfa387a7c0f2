#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# install_test.sh SOURCE_DIR BUILD_DIR PREFIX BINDIR LIBDIR INCLUDEDIR MANDIR: installs into
# PREFIX and checks what landed there, in the install directories CMake chose; then uninstalls
# and checks that only what was there before is left.
set -u
. "$(dirname "$0")/lib.sh"
source=$1 build=$2 prefix=$3 bin=$4 lib=$5 include=$6 man=$7
# Laid out as Debian lays out /usr/local: empty folders, and man a link to share/man.
# A new prefix: what earlier runs recorded of the old one does not hold for it.
rm -rf "$prefix" "$build/install_folders.txt"
mkdir -p "$prefix"/{"$bin","$include","$lib",share/man}
ln -s share/man "$prefix/man"
touch "$prefix/$bin/other"
before=$(cd "$prefix" && find . -printf '%p %y %l\n' | sort)
bash "$source/scripts/install.sh" "$build" "$prefix" >/dev/null || fail "install"

for f in "$bin"/{powlog,greeter,echoback} "$include/conbits/io.h" "$lib/libconbits-io.a" \
	"$lib"/cmake/conbits/conbits{Config,ConfigVersion,Targets}.cmake "$lib/pkgconfig/conbits-io.pc"; do
	expect_file "$prefix/$f"
done
bash "$(dirname "$0")/installed_test.sh" "$prefix/$bin" "$prefix/$man" >/dev/null ||
	fail "the installed programs and pages"
expect_eq "pkg-config prefix" \
	"$(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --variable=prefix conbits-io)" "$prefix"

bash "$source/scripts/uninstall.sh" "$build" "$prefix" || fail "uninstall"
expect_eq "left after uninstall" "$(cd "$prefix" && find . -printf '%p %y %l\n' | sort)" "$before"
# Again, for the consumer test.
bash "$source/scripts/install.sh" "$build" "$prefix" >/dev/null || fail "install again"
finish
