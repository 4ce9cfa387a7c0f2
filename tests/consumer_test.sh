#!/usr/bin/env bash
# consumer_test.sh PREFIX WORK_DIR [CMAKE_ARG...]: builds a separate project against the
# package installed in PREFIX, and runs it.
set -u
. "$(dirname "$0")/lib.sh"
prefix=$1 work=$2
shift 2
rm -rf "$work"
cmake -S "$(dirname "$0")/consumer" -B "$work" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" "$@" \
	>"$work.log" 2>&1 && cmake --build "$work" >>"$work.log" 2>&1 ||
	{ cat "$work.log" >&2; fail "the consumer project did not build"; }

expect_eq "C caller" "$(printf '21 0x1A 010 -4' | "$work/from_c"; echo "status $?")" \
	"$(printf '21\n26\n8\n-4\nstatus 0')"
expect_eq "C++ caller" "$("$work/from_cpp")" "from C++: -7"
finish
