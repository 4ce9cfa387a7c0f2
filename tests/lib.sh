# SPDX-License-Identifier: ISC
# Helpers for the shell checks: each names what it expected.
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { [ "$2" = "$3" ] || fail "$1: got [$2], want [$3]"; } # what, got, want
finish() {
	[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
	echo "all checks passed"
}
# Other programs' messages in English, whatever the language of whoever runs the tests.
export LC_ALL=C LANGUAGE=
