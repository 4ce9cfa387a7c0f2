#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# consumer_test.sh PREFIX LIBDIR WORK_DIR [LDFLAGS]: the library installed in PREFIX exports the
# four routines alone, with C linkage, and programs outside the tree build against it: the
# tests' helpers through the CMake package (io_probe in C++), and from_c.c through pkg-config,
# linked by the C compiler (no C++ runtime needed), and into a shared object (the library is
# position-independent).
set -u
. "$(dirname "$0")/lib.sh"
prefix=$1 lib=$2 work=$3 ldflags=${4:-}
expect_eq "exported" "$(nm -g --defined-only --format=just-symbols "$prefix/$lib/libconbits-io.a" | sort)" \
	"$(printf '%s\n' print_int print_nl print_string read_int)"
rm -rf "$work" && mkdir -p "$work"
cmake -S "$(dirname "$0")" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
	-DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >"$work/log" 2>&1 &&
	cmake --build "$work/cmake" >>"$work/log" 2>&1 || { cat "$work/log"; fail "through the CMake package"; }
flags=$(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --cflags --libs conbits-io)
# shellcheck disable=SC2086
cc -o "$work/from_c" "$(dirname "$0")/from_c.c" $ldflags $flags &&
	cc -shared -fPIC -o "$work/from_c.so" "$(dirname "$0")/from_c.c" $ldflags $flags || fail "through pkg-config"
expect_eq "from C" "$(printf '21 0x1A 010 -4' | "$work/from_c"; echo "status $?")" "$(printf '21\n26\n8\n-4\nstatus 0')"
expect_eq "from C++" "$(printf '21 0x1A' | "$work/cmake/io_probe" read)" "1:21 1:26 -1:99 "
finish
