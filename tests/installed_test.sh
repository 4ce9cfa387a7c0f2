#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# installed_test.sh BINDIR MANDIR: the installed programs give their exact outputs and fail as
# they should, and every man page is there. Run after an install, and by autopkgtest on /usr.
# CONBITS_EMULATOR, when set, is the command that runs them (a cross build's).
set -u
. "$(dirname "$0")/lib.sh"
bin=$1 man=$2
run=${CONBITS_EMULATOR:-}

for f in "$man"/man1/{powlog,greeter,echoback}.1.gz "$man"/man3/{conbits-io,print_string,print_nl,print_int,read_int}.3.gz; do
	expect_file "$f"
done
expect_eq "powlog 2 10" "$($run "$bin/powlog" 2 10)" \
	"$(printf -- '---> Optimization is set on.\n2^10 is 1024\n1024 log 2 is 10')"
expect_eq "powlog 0 1" "$($run "$bin/powlog" 0 1 2>&1; echo "status $?")" \
	"$(printf 'powlog: base 0 has no logarithm\nstatus 1')"
expect_eq "greeter" "$($run "$bin/greeter")" "hello"
expect_eq "greeter >/dev/full" "$($run "$bin/greeter" 2>&1 >/dev/full; echo "status $?")" \
	"$(printf 'greeter: write error: No space left on device\nstatus 1')"
printf 'abc\n' >"${TMPDIR:-/tmp}/installed_test.$$"
expect_eq "echoback" "$($run "$bin/echoback" 2>&1 1<"${TMPDIR:-/tmp}/installed_test.$$")" \
	"Enter text. Press 'Ctrl-D' when done: abc"
rm -f "${TMPDIR:-/tmp}/installed_test.$$"
# The page man finds for each name is the overview, whatever width man justifies it to.
for routine in conbits-io print_string print_nl print_int read_int; do
	page=$(MANWIDTH=200 man -M "$man" 3 "$routine" 2>&1 | tr -s ' \n' ' ')
	grep -qF ' print_string, print_nl, print_int, read_int - console routines ' <<<"$page" ||
		fail "man 3 $routine: $(head -c 300 <<<"$page")"
done
finish
