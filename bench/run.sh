#!/usr/bin/env bash
# Whole-process benchmarks: each program against its reference, timed side by side in one run
# (the runs interleaved), as medians. Prints the ratios; asserts nothing.
#   RUNS   rounds for powlog (default 101)
#   ROUNDS rounds for echoback, each a 20 MB copy (default 7)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
b=build/bench
powlog=$b/powlog/powlog
reference=$b/bench/powlog_reference

row() { # label, ours, reference
	awk -v l="$1" -v a="$2" -v r="$3" \
		'BEGIN { printf "%-34s %10.3f ms %10.3f ms %7.3f\n", l, a, r, a / r }'
}

printf '%-34s %13s %13s %7s\n' "" "conbits" "reference" "ratio"
# shellcheck disable=SC2046
set -- $("$b/bench/proctime" "${RUNS:-101}" \
	-- "$powlog" 2 63 -- "$reference" 2 63 \
	-- "$powlog" 3 40 -- "$reference" 3 40 \
	-- "$powlog" 2 0 -- "$reference" 2 0)
row "powlog 2 63" "$1" "$2"
row "powlog 3 40" "$3" "$4"
row "powlog 2 0" "$5" "$6"
row "  kernels alone: (2 63) - (2 0)" "$(awk "BEGIN { print $1 - $5 }")" "$(awk "BEGIN { print $2 - $6 }")"

input=$(mktemp)
trap 'rm -f "$input"' EXIT
head -c 20000000 /dev/urandom >"$input"
# shellcheck disable=SC2046
set -- $("$b/bench/proctime" "${ROUNDS:-7}" \
	-- sh -c 'exec "$0" 1<"$1" 2>/dev/null' "$b/echoback/echoback" "$input" \
	-- sh -c 'exec dd bs=35 <"$1" 2>/dev/null' dd "$input")
row "echoback vs dd bs=35, 20 MB" "$1" "$2"
