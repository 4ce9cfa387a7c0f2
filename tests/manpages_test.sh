#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# manpages_test.sh PAGE...: every page renders with no warning from groff or man.
set -u
. "$(dirname "$0")/lib.sh"
for page in "$@"; do
	warnings=$(groff -man -ww -z "$page" 2>&1)
	expect_eq "groff warnings for $page" "$warnings" ""
	warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
	expect_eq "man warnings for $page" "$warnings" ""
done
finish
