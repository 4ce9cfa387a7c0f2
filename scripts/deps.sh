#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# deps.sh GROUP...: installs the Debian packages that GROUP needs and this machine lacks.
#   build    compile the programs and the library
#   package  build the .debs
#   test     run every test (includes build and package)
#   lint     the clang-tidy and cppcheck build (includes build)
# When nothing is missing it does nothing and touches no network.
set -euo pipefail

build=(g++ gcc cmake ninja-build make gzip libdivide-dev)
package=(dpkg-dev file)
tests=(libgtest-dev valgrind strace binutils groff-base man-db lintian pkgconf git)
lint=(clang-tidy cppcheck)

wanted=()
for group in "$@"; do
	case $group in
	build) wanted+=("${build[@]}") ;;
	package) wanted+=("${build[@]}" "${package[@]}") ;;
	test) wanted+=("${build[@]}" "${package[@]}" "${tests[@]}") ;;
	lint) wanted+=("${build[@]}" "${lint[@]}") ;;
	*) echo "deps.sh: unknown group: $group" >&2; exit 1 ;;
	esac
done

missing=()
for p in $(printf '%s\n' "${wanted[@]}" | sort -u); do
	[ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null)" = "ii " ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
	sudo=()
elif command -v sudo >/dev/null; then
	sudo=(sudo)
else
	echo "deps.sh: missing Debian packages; as root, run: apt-get update && $install" >&2
	exit 1
fi
echo "deps.sh: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q &&
	"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" || {
	echo "deps.sh: could not install; as root, run: apt-get update && $install" >&2
	exit 1
}
