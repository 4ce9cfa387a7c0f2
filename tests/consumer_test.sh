#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# consumer_test.sh PREFIX LIBDIR WORK_DIR [LDFLAGS]: the library installed in PREFIX exports the
# four routines alone, with C linkage; programs outside the tree build against it through CMake
# and through pkg-config (linked by the C compiler: no C++ runtime needed), and run.
set -u
. "$(dirname "$0")/lib.sh"
prefix=$1 lib=$2 work=$3 ldflags=${4:-}
src=$(dirname "$0")/consumer
expect_eq "exported" "$(nm -g --defined-only --format=just-symbols "$prefix/$lib/libconbits-io.a" | sort)" \
	"$(printf '%s\n' print_int print_nl print_string read_int)"
rm -rf "$work"
cmake -S "$src" -B "$work" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
	-DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
	>"$work.log" 2>&1 && cmake --build "$work" >>"$work.log" 2>&1 ||
	{ cat "$work.log" >&2; fail "the consumer project did not build"; }
# shellcheck disable=SC2046
cc -o "$work/from_pkg_config" "$src/from_c.c" $ldflags \
	$(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --cflags --libs conbits-io) ||
	fail "cc with pkg-config's flags"
for program in from_c from_cpp from_pkg_config; do
	expect_eq "$program" "$(printf '21 0x1A 010 -4' | "$work/$program"; echo "status $?")" \
		"$(printf '21\n26\n8\n-4\nstatus 0')"
done
finish
