#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# install_test.sh SOURCE BUILD PREFIX BINDIR LIBDIR INCLUDEDIR MANDIR HELPER...: installs into
# PREFIX, laid out as Debian lays out /usr/local, in the directories CMake chose, and runs the
# rows against the programs and pages installed. Uninstalled, only what was there before is
# left. Installed again, for the consumer test.
set -u
. "$(dirname "$0")/lib.sh"
source=$1 build=$2 prefix=$3 bin=$4 lib=$5 include=$6 man=$7
shift 7
rm -rf "$prefix" "$build/install_folders.txt"
mkdir -p "$prefix"/{"$bin","$include","$lib",share/man}
ln -s share/man "$prefix/man"
touch "$prefix/$bin/other"
before=$(cd "$prefix" && find . -printf '%p %y %l\n' | sort)
bash "$source/scripts/install.sh" "$build" "$prefix" >/dev/null || fail "install"

expect_eq "pkg-config prefix" \
	"$(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --variable=prefix conbits-io)" "$prefix"
for rows in powlog greeter echoback; do
	said=$(CONBITS_MANDIR=$prefix/$man bash "$(dirname "$0")/rows.sh" "$(dirname "$0")/$rows.rows" \
		"$prefix/$bin"/{powlog,greeter,echoback} "$@") || { echo "$said"; fail "$rows rows"; }
	echo "${said##*$'\n'}"
done

bash "$source/scripts/uninstall.sh" "$build" "$prefix" || fail "uninstall"
expect_eq "left after uninstall" "$(cd "$prefix" && find . -printf '%p %y %l\n' | sort)" "$before"
bash "$source/scripts/install.sh" "$build" "$prefix" >/dev/null || fail "install again"
finish
