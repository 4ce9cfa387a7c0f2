#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# loaded.sh COMMAND...: runs COMMAND beside busy loops, two for each CPU, as on a build daemon
# that runs several builds at once; exits with COMMAND's status.
#   bash scripts/loaded.sh taskset -c 0 ctest --preset default
set -u
loops=()
for _ in $(seq $((2 * $(nproc)))); do
	{ while :; do :; done; } &
	loops+=($!)
done
"$@"
status=$?
kill "${loops[@]}"
exit $status
