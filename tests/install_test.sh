#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# install_test.sh BUILD_DIR PREFIX BINDIR LIBDIR INCLUDEDIR MANDIR DATAROOTDIR: installs into
# PREFIX and checks what landed there, in the install directories CMake chose.
set -u
. "$(dirname "$0")/lib.sh"
build=$1 prefix=$2 bin=$3 lib=$4 include=$5 man=$6 share=$7
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

for f in "$bin"/{powlog,greeter,echoback} "$include/conbits/io.h" "$lib/libconbits-io.a" \
	"$man"/man1/{powlog,greeter,echoback}.1.gz "$man"/man3/{io,print_string,print_nl,print_int,read_int}.3.gz \
	"$lib"/cmake/conbits/conbits{Config,ConfigVersion,Targets}.cmake "$lib/pkgconfig/conbits-io.pc" \
	"$share"/doc/{conbits,libconbits-io-dev}/{copyright,changelog.gz}; do
	expect_file "$prefix/$f"
done

expect_eq "powlog 2 10" "$("$prefix/$bin/powlog" 2 10)" \
	"$(printf -- '---> Optimization is set on.\n2^10 is 1024\n1024 log 2 is 10')"
expect_eq "greeter" "$("$prefix/$bin/greeter")" "hello"
expect_eq "echoback" "$("$prefix/$bin/echoback" 2>&1 1</dev/null)" \
	"Enter text. Press 'Ctrl-D' when done: "
for routine in io print_string print_nl print_int read_int; do
	page=$(LC_ALL=C MANWIDTH=80 man -M "$prefix/$man" 3 "$routine" 2>&1)
	grep -q '^ *print_string, print_nl, print_int, read_int - console routines' <<<"$page" ||
		fail "man 3 $routine: $(head -n 5 <<<"$page")"
done
expect_eq "pkg-config prefix" \
	"$(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --variable=prefix conbits-io)" "$prefix"
finish
