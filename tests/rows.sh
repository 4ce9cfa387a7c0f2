#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# rows.sh FILE PROGRAM...: runs FILE's rows, each PROGRAM found by its name (and in $T/real).
# row NAME COMMAND WANT [INPUT]: COMMAND runs in bash in a scratch folder, INPUT its standard
# input; WANT is its status, a space, its output, then "2>" and its errors if any, with printf's
# \ escapes. A guard before row skips it, saying why: on_host under an emulator
# (CONBITS_EMULATOR), unsanitized in a sanitizer build, installed without CONBITS_MANDIR's pages,
# needs TOOL where TOOL is not installed (Debian builds valgrind for some architectures only).
set -u -o pipefail
rows=$1 emulator=${CONBITS_EMULATOR:-} man=${CONBITS_MANDIR:-} passed=0 failed=0 skipped=0
tests=$(dirname "$(realpath "$1")") # for what lies beside the rows
shift
exec 3>&1 # a row's notes for the log
# The loader splits LD_PRELOAD at blanks and colons, and the scratch folder holds the library.
case ${TMPDIR:-/tmp} in *[[:space:]:]*) TMPDIR=/tmp ;; esac
T=$(mktemp -d "${TMPDIR:-/tmp}/rows.XXXXXX") && mkdir "$T/bin" "$T/real" || exit
trap 'rm -rf "$T"' EXIT
for p in "$@"; do
	p=$(realpath "$p") && ln -s "$p" "$T/real/${p##*/}" || exit
	if [ -n "$emulator" ] && [ "${p%.so}" = "$p" ]; then # a script that runs it through the emulator
		printf '#!/bin/sh\nexec %s "%s" "$@"\n' "$emulator" "$p" >"$T/bin/${p##*/}" && chmod +x "$T/bin/${p##*/}"
	else
		ln -s "$p" "$T/bin/${p##*/}"
	fi
done
PATH=$T/bin:$PATH
# Other programs' messages in English; a preloaded library may come before the sanitizers'.
export LC_ALL=C LANGUAGE= ASAN_OPTIONS=verify_asan_link_order=0
# The thread library, preloaded into the program and not into the emulator: env $preload ...
preload=LD_PRELOAD=$T/real/libthread_preload.so
[ -z "$emulator" ] || preload=QEMU_SET_ENV=$preload

named() { # NAME PROGRAM ARG...: PROGRAM started under another name
	if [ -n "$emulator" ]; then $emulator -0 "$1" "$T/real/$2" "${@:3}"; else (exec -a "$1" "$T/real/$2" "${@:3}"); fi
}
# The shared libraries a program needs, but for the C library's loader (which some
# architectures' programs name, for the stack guard), whatever it is called there.
needed() {
	local loader && loader=$(readelf -l "$T/real/$1" | sed -n 's|.*interpreter: .*/\(.*\)]$|\1|p')
	readelf -d "$T/real/$1" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | grep -vxF "$loader"
}
# COMMAND..., its output kept in $T/log, and the end of it shown if it fails.
quiet() { "$@" >"$T/log" 2>&1 || { tail -n 20 "$T/log"; return 1; }; }
# An installed page, PATH under the man folder, draws no warning from groff or man.
pages_clean() { zcat "$man/$1.gz" | groff -man -ww -z && MANWIDTH=80 man --warnings -l "$man/$1.gz" >/dev/null; }

# A row waits for a state, never for a time: COMMAND... is tried every hundredth of a second
# until it holds. A minute guards against a hang, and its end is a failure that says so.
await() { # WHAT COMMAND...
	local end=$((SECONDS + 60))
	until "${@:2}"; do [ $SECONDS -lt $end ] || { echo "rows.sh: a minute without $1" >&2 && return 1; }; sleep 0.01; done
}
# PID sleeps in the kernel, in a function that matches PATTERN where the kernel names it.
asleep() { # PID PATTERN
	local wchan stat && wchan=$(cat "/proc/$1/wchan" 2>/dev/null) && stat=$(cat "/proc/$1/stat") || return
	case $wchan in "" | 0) stat=${stat##*) } && [ "${stat%% *}" = S ] ;; *) [[ $wchan =~ $2 ]] ;; esac
}
# COMMAND..., ended if it runs for a minute, which is a failure that says so.
guarded() { timeout 60 "$@"; local status=$? && [ $status -ne 124 ] || echo "rows.sh: a minute of $*" >&2; return $status; }

skip() { # REASON [GUARD...] row NAME ...
	local reason=$1 && while [ "$1" != row ]; do shift; done
	echo "skipped: $2: $reason" && skipped=$((skipped + 1))
}
on_host() { if [ -n "$emulator" ]; then skip "the emulator would stand between it and the program" "$@"; else "$@"; fi; }
unsanitized() { if [ -n "${CONBITS_SANITIZED:-}" ]; then skip "the sanitizers' runtime changes it" "$@"; else "$@"; fi; }
installed() { if [ -z "$man" ]; then skip "no installed man pages" "$@"; else "$@"; fi; }
needs() { if ! command -v "$1" >/dev/null; then skip "no $1 here" "$@"; else "${@:2}"; fi; }
row() {
	printf %b "${4-}" >"$T/in" && rm -rf "$T/work" && mkdir "$T/work"
	(cd "$T/work" && eval "$2") <"$T/in" >"$T/out" 2>"$T/err"
	{ printf '%s ' $?; cat "$T/out"; if [ -s "$T/err" ]; then printf '2>'; cat "$T/err"; fi; } >"$T/got"
	if printf %b "$3" | cmp -s "$T/got"; then passed=$((passed + 1)) && return; fi
	failed=$((failed + 1))
	printf 'FAIL: %s\n  command: %s\n  want:\n%s\n  got:\n%s\n' "$1" "$2" \
		"$(printf %b "$3" | sed -n l | head -n 20)" "$(sed -n l "$T/got" | head -n 20)"
}

. "$rows"
echo "$rows: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
