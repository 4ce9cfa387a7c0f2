#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
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

# Each run with an exponent, then each base with exponent 0: the difference is the kernels'.
runs=("2 63" "3 40" "10 19" "7 22" "255 8" "2 0" "3 0" "7 0" "10 0")
commands=()
for r in "${runs[@]}"; do
	# shellcheck disable=SC2206
	commands+=(-- "$powlog" $r -- "$reference" $r)
done
mapfile -t ms < <("$b/bench/proctime" "${RUNS:-101}" "${commands[@]}")
declare -A ours theirs
for i in "${!runs[@]}"; do
	ours[${runs[i]}]=${ms[2 * i]}
	theirs[${runs[i]}]=${ms[2 * i + 1]}
done

printf '%-34s %13s %13s %7s\n' "" "conbits" "reference" "ratio"
for r in "${runs[@]}"; do
	row "powlog $r" "${ours[$r]}" "${theirs[$r]}"
done
row "  kernels alone: (2 63) - (2 0)" "$(awk "BEGIN { print ${ours[2 63]} - ${ours[2 0]} }")" \
	"$(awk "BEGIN { print ${theirs[2 63]} - ${theirs[2 0]} }")"

echo
echo "ns per division step, ((B E) - (B 0)) / (80000 E):"
printf '%-34s %13s %13s\n' "" "conbits" "reference"
for r in "2 63" "3 40" "7 22" "10 19"; do
	set -- $r
	awk -v l="base $1 (E = $2)" -v e="$2" -v a="${ours[$r]}" -v a0="${ours[$1 0]}" \
		-v t="${theirs[$r]}" -v t0="${theirs[$1 0]}" \
		'BEGIN { k = 1e6 / (80000 * e); printf "%-34s %10.2f ns %10.2f ns\n", l, (a - a0) * k, (t - t0) * k }'
done
echo

input=$(mktemp)
trap 'rm -f "$input"' EXIT
head -c 20000000 /dev/urandom >"$input"
# shellcheck disable=SC2046
set -- $("$b/bench/proctime" "${ROUNDS:-7}" \
	-- sh -c 'exec "$0" 1<"$1" 2>/dev/null' "$b/echoback/echoback" "$input" \
	-- sh -c 'exec dd bs=35 <"$1" 2>/dev/null' dd "$input")
row "echoback vs dd bs=35, 20 MB" "$1" "$2"
