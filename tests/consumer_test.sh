#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# consumer_test.sh PREFIX LIBDIR WORK_DIR [LDFLAGS]: builds programs outside the tree against
# the package installed in PREFIX, through CMake and through pkg-config, and runs them.
set -u
. "$(dirname "$0")/lib.sh"
prefix=$1 lib=$2 work=$3 ldflags=${4:-}
src=$(dirname "$0")/consumer
rm -rf "$work"
cmake -S "$src" -B "$work" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
	-DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
	>"$work.log" 2>&1 && cmake --build "$work" >>"$work.log" 2>&1 ||
	{ cat "$work.log" >&2; fail "the consumer project did not build"; }

# shellcheck disable=SC2046
cc -o "$work/from_pkg_config" "$src/from_c.c" $ldflags \
	$(PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" pkg-config --cflags --libs conbits-io) ||
	fail "cc with pkg-config's flags"

for from_c in "$work/from_c" "$work/from_pkg_config"; do
	expect_eq "$from_c" "$(printf '21 0x1A 010 -4' | "$from_c"; echo "status $?")" \
		"$(printf '21\n26\n8\n-4\nstatus 0')"
done
expect_eq "C++ caller" "$("$work/from_cpp")" "from C++: -7"
finish
