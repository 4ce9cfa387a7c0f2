#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# deps.sh GROUP...: installs the Debian packages that GROUP needs and this machine lacks.
#   build      compile the programs and the library: debian/control's Build-Depends, less
#              debhelper and those marked <!nocheck>
#   test       run every test: all of Build-Depends but debhelper
#   package    make package: all of Build-Depends, and dpkg-buildpackage
#   cross      the cross build for the Debian architecture ARCH (arm64 if unset), tested
#              under qemu-user
#   lint       the clang-tidy and cppcheck build
#   packaging  the checks of the packages: lintian, autopkgtest, reprotest
#   clang      the build and the suite with clang (and its AddressSanitizer runtime)
#   kernel     scripts/kernel.sh: qemu-system for every architecture, riscv64's firmware, cpio
#   root       scripts/in-root.sh: debootstrap, to make a root of another release
# When nothing is missing it does nothing and touches no network.
set -euo pipefail
cd "$(dirname "$0")/.."

# Build-Depends, one a line, with " nocheck" after those the tests alone need.
build_depends() {
	awk '/^Build-Depends:/ { on = 1; sub(/^Build-Depends:/, "") }
	     on && /^[^ \t]/ && !/^Build-Depends:/ { on = 0 }
	     on { print }' debian/control | tr ',' '\n' |
		sed -n 's/^[[:space:]]*\([a-z0-9][a-z0-9.+-]*\).*<!nocheck>.*/\1 nocheck/p; t; s/^[[:space:]]*\([a-z0-9][a-z0-9.+-]*\).*/\1/p'
}
mapfile -t depends < <(build_depends)
build=(g++ gcc make) tests=() package=(dpkg-dev debhelper build-essential)
for d in "${depends[@]}"; do
	case $d in
	debhelper-compat) ;;
	*" nocheck") tests+=("${d% nocheck}") ;;
	*) build+=("$d") ;;
	esac
done
lint=(clang-tidy cppcheck)
cross=(qemu-user dpkg-dev)
packaging=(lintian autopkgtest reprotest faketime disorderfs locales-all git)
clang=(clang)
kernel=(qemu-system-x86 qemu-system-arm qemu-system-ppc qemu-system-mips qemu-system-misc opensbi cpio dpkg-dev)
root=(debootstrap git systemd-container)

wanted=()
for group in "$@"; do
	case $group in
	build) wanted+=("${build[@]}") ;;
	test) wanted+=("${build[@]}" "${tests[@]}") ;;
	package) wanted+=("${build[@]}" "${tests[@]}" "${package[@]}") ;;
	lint) wanted+=("${build[@]}" "${lint[@]}") ;;
	cross) # the compilers' names, from dpkg-architecture
		command -v dpkg-architecture >/dev/null || bash "$0" dpkg-dev
		gnu=$(dpkg-architecture -f -a"${ARCH:-arm64}" -qDEB_HOST_GNU_TYPE 2>/dev/null) ||
			{ echo "deps.sh: not a Debian architecture: ${ARCH:-}" >&2; exit 1; }
		wanted+=("${build[@]}" "${tests[@]}" "${cross[@]}" "g++-$gnu" "gcc-$gnu") ;;
	packaging) wanted+=("${build[@]}" "${tests[@]}" "${package[@]}" "${packaging[@]}") ;;
	clang) wanted+=("${build[@]}" "${tests[@]}" "${clang[@]}") ;;
	kernel) wanted+=("${kernel[@]}") ;;
	root) wanted+=("${root[@]}") ;;
	dpkg-dev) wanted+=(dpkg-dev) ;;
	*) echo "deps.sh: unknown group: $group" >&2; exit 1 ;;
	esac
done

# Installed, or waiting only for triggers (status t or W), as when another apt is running.
missing=()
for p in $(printf '%s\n' "${wanted[@]}" | sort -u); do
	case $(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null) in
	?[itW]*) ;;
	*) missing+=("$p") ;;
	esac
done
[ ${#missing[@]} -eq 0 ] && exit 0

install="apt-get install -y --no-install-recommends ${missing[*]}"
cannot() { echo "deps.sh: $1; as root, run: apt-get update && $install" >&2 && exit 1; }
# sudo only for one who may use it (its group, or no password needed), and asked once.
if [ "$(id -u)" -eq 0 ]; then
	sudo=()
elif command -v sudo >/dev/null && { id -nG | grep -qwE 'sudo|admin|wheel' || sudo -n true 2>/dev/null; }; then
	sudo=(sudo)
else
	cannot "missing Debian packages"
fi
echo "deps.sh: installing ${missing[*]}" >&2
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive sh -c 'apt-get update -q && apt-get install -y -q --no-install-recommends "$@"' \
	apt "${missing[@]}" || cannot "could not install"
