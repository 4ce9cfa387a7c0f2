#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# consumer_test.sh PREFIX LIBDIR WORK_DIR [LDFLAGS]: the library installed in PREFIX exports the
# four routines alone, with C linkage, and programs outside the tree build against it: the
# tests' helpers through the CMake package; io_probe through pkg-config, as C++, as C linked by
# the C compiler (no C++ runtime needed), and into a shared object (the library is
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
flags="-D_GNU_SOURCE $(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --cflags --libs conbits-io)"
# shellcheck disable=SC2086
c++ -x c++ -o "$work/from_cpp" "$(dirname "$0")/io_probe.c" $ldflags $flags &&
	cc -o "$work/from_c" "$(dirname "$0")/io_probe.c" $ldflags $flags &&
	cc -shared -fPIC -o "$work/from_c.so" "$(dirname "$0")/io_probe.c" $ldflags $flags || fail "through pkg-config"
for program in cmake/io_probe from_cpp from_c; do
	expect_eq "$program" "$(printf '21 0x1A 010 -4' | "$work/$program" read)" "1:21 1:26 1:8 1:-4 -1:99 "
done
finish
