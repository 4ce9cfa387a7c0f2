#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Whole-process benchmarks: each program against its reference, timed side by side in one run
# (the runs interleaved), as medians. Prints the ratios and their spread; asserts nothing.
#   RUNS   rounds for powlog (default 101)
#   ROUNDS rounds for echoback, each a 20 MB copy (default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-101} rounds=${ROUNDS:-7}

echo "bench: building the Release build and the reference programs in build/bench ..."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
b=build/bench
powlog=$b/powlog/powlog
reference=$b/bench/powlog_reference

cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' $b/CMakeCache.txt)
echo "machine: ${cpu:-unknown CPU}, $(nproc) cores; compiler: $("$compiler" -v 2>&1 | tail -n 1)"
echo "rounds: $runs for each powlog row, $rounds for echoback; each round runs every command once"
echo "reference: for powlog, the same loops built straightforwardly at -O2, with the hardware's"
echo "  divide instruction (bench/powlog_reference.cpp); for echoback, dd bs=35 on the same file"
echo "ratio: conbits / reference, round by round; below 1 is faster. Shown: the median ratio,"
echo "  and its spread from the first to the third quartile"
echo

wide=0
row() { # label, proctime's line: ours, reference, ratio's quartiles
	local label=$1
	shift
	awk -v l="$label" -v a="$1" -v r="$2" -v q1="$3" -v m="$4" -v q3="$5" 'BEGIN {
		w = (q3 - q1) / m > 0.1
		printf "%-30s %10.3f ms %10.3f ms %7.3f  %.3f-%.3f%s\n", l, a, r, m, q1, q3, w ? "  wide" : ""
		exit w }' || wide=1
}

# Each run with an exponent, then each base with exponent 0: the difference is the kernels'.
cases=("2 63" "3 40" "10 19" "7 22" "255 8" "2 0" "3 0" "7 0" "10 0")
commands=()
for c in "${cases[@]}"; do
	# shellcheck disable=SC2206
	commands+=(-- "$powlog" $c -- "$reference" $c)
done
mapfile -t lines < <("$b/bench/proctime" "$runs" "${commands[@]}")
declare -A ours theirs
printf '%-30s %13s %13s %7s  %s\n' "" "conbits" "reference" "ratio" "spread (quartiles)"
for i in "${!cases[@]}"; do
	c=${cases[i]}
	# shellcheck disable=SC2086
	set -- ${lines[i]}
	ours[$c]=$1 theirs[$c]=$2
	row "powlog $c" "$@"
done

input=$(mktemp)
trap 'rm -f "$input"' EXIT
head -c 20000000 /dev/urandom >"$input"
# shellcheck disable=SC2046
row "echoback, 20 MB" $("$b/bench/proctime" "$rounds" \
	-- sh -c 'exec "$0" 1<"$1" 2>/dev/null' "$b/echoback/echoback" "$input" \
	-- sh -c 'exec dd bs=35 <"$1" 2>/dev/null' dd "$input")
if [ $wide -ne 0 ]; then
	echo "wide: the quartiles lie more than a tenth of the ratio apart, so that row is unsure;"
	echo "  run again on a quieter machine, or with more rounds"
fi

echo
echo "Derived from the medians above:"
awk -v a="${ours[2 63]}" -v a0="${ours[2 0]}" -v t="${theirs[2 63]}" -v t0="${theirs[2 0]}" 'BEGIN {
	printf "%-30s %10.3f ms %10.3f ms\n", "kernels alone, base 2", a - a0, t - t0 }'
echo "  (the run of 2 63 less the run of 2 0: the time the two kernels take beyond start-up and"
echo "  printing)"
for c in "2 63" "3 40" "7 22" "10 19"; do
	set -- $c
	awk -v l="ns per division step, base $1" -v e="$2" -v a="${ours[$c]}" -v a0="${ours[$1 0]}" \
		-v t="${theirs[$c]}" -v t0="${theirs[$1 0]}" \
		'BEGIN { k = 1e6 / (80000 * e); printf "%-30s %10.2f ns %10.2f ns\n", l, (a - a0) * k, (t - t0) * k }'
done
echo "  (the run with exponent E less the run with exponent 0, over 80000 repetitions of E steps:"
echo "  one step of the logarithm's division loop, with the power kernel's share of the work)"
