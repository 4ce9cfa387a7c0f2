#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# kernel.sh ARCH: the suite's rows under Debian's own kernel for the Debian architecture ARCH,
# booted by qemu-system, where the seccomp filter that qemu-user refuses is real. Builds as
# make test-cross does (build/ARCH), fetches the kernel and the guest's tools of ARCH from
# Debian's archive with a private apt state, packs them with the programs, the helpers and the
# rows into an initramfs, boots it, and prints the guest's uname -a and each row file's
# summary. Fails if a row fails or the guest does not finish within CONBITS_KERNEL_MINUTES (60).
# What it downloads is kept in CONBITS_KERNELS (/var/tmp/conbits-kernels).
#   bash scripts/kernel.sh s390x
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { echo "usage: scripts/kernel.sh ARCH" >&2; exit 2; }
arch=$1

# ARCH, the release and architecture of its kernel, the kernel's package, qemu, its options
# (: for a blank), the console. armel runs under armhf's kernel, i386 under amd64's (which has
# the i386 entry), riscv64 under trixie's: bookworm has none.
while read -r a release karch kernel qemu options console; do
	[ "$a" != "$arch" ] || break
done <<'EOF'
amd64    bookworm amd64    linux-image-amd64       x86_64   -M:pc:-cpu:max:-smp:2     ttyS0
i386     bookworm amd64    linux-image-amd64       x86_64   -M:pc:-cpu:max:-smp:2     ttyS0
arm64    bookworm arm64    linux-image-arm64       aarch64  -M:virt:-cpu:max:-smp:2   ttyAMA0
armhf    bookworm armhf    linux-image-armmp-lpae  arm      -M:virt:-cpu:cortex-a15:-smp:2 ttyAMA0
armel    bookworm armhf    linux-image-armmp-lpae  arm      -M:virt:-cpu:cortex-a15:-smp:2 ttyAMA0
mips64el bookworm mips64el linux-image-5kc-malta   mips64el -M:malta:-cpu:5KEc        ttyS0
ppc64el  bookworm ppc64el  linux-image-powerpc64le ppc64    -M:pseries:-smp:2         hvc0
riscv64  trixie   riscv64  linux-image-riscv64     riscv64  -M:virt:-smp:2            ttyS0
s390x    bookworm s390x    linux-image-s390x       s390x    -M:s390-ccw-virtio:-smp:2 ttysclp0
EOF
[ "$a" = "$arch" ] || { echo "kernel.sh: no kernel for the architecture: $arch" >&2; exit 2; }
# The guest's tools, of ARCH: a shell, the tools the rows run, strace, and busybox for the rest.
tools=(bash-static busybox-static coreutils sed grep mawk diffutils findutils util-linux bsdutils
	strace bc libc-bin libc6)

if [ "$arch" = "$(dpkg --print-architecture)" ]; then bash scripts/deps.sh test kernel; else ARCH=$arch bash scripts/deps.sh cross kernel; fi
ARCH=$arch cmake --preset cross >/dev/null && ARCH=$arch cmake --build --preset cross
build=build/$arch

keep=${CONBITS_KERNELS:-/var/tmp/conbits-kernels}
apt_for() { # RELEASE ARCH APT-COMMAND...: apt with a private state, that release and architecture alone
	local state=$keep/apt/$1-$2
	if [ ! -d "$state/lists" ]; then
		mkdir -p "$state/lists/partial" "$state/archives/partial" && : >"$state/status"
		echo "deb [arch=$2] ${CONBITS_MIRROR:-http://deb.debian.org/debian} $1 main" >"$state/sources.list"
	fi
	"${@:3}" -q -o Dir::State="$state" -o Dir::State::Lists="$state/lists" -o Dir::State::status="$state/status" \
		-o Dir::Cache="$state" -o Dir::Cache::archives="$state/archives" -o Dir::Etc::SourceList="$state/sources.list" \
		-o Dir::Etc::SourceParts=/dev/null -o APT::Architecture="$2" -o APT::Architectures::="$2" -o Debug::NoLocking=1 -o APT::Sandbox::User=root
}
listed() { ls "$keep/apt/$1-$2/lists/"*_Packages >/dev/null 2>&1 || apt_for "$1" "$2" apt-get update >/dev/null; }
fetch() { # RELEASE ARCH PACKAGE...: each downloaded once into the kept folder; their files named
	local dir=$keep/debs/$1-$2 p && mkdir -p "$dir"
	for p in "${@:3}"; do
		ls "$dir/${p}"_*.deb >/dev/null 2>&1 || (cd "$dir" && apt_for "$1" "$2" apt-get download "$p" >/dev/null)
		ls "$dir/${p}"_*.deb
	done
}
closure() { # RELEASE ARCH PACKAGE...: with what they need, recursively
	apt_for "$1" "$2" apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
		--no-replaces --no-enhances "${@:3}" | grep -v '^[ <]' | sort -u
}

# The kernel: the package that the flavour's metapackage depends on, the image inside it.
listed "$release" "$karch" && listed "$release" "$arch"
image=$(apt_for "$release" "$karch" apt-cache depends "$kernel" | sed -n 's/^  Depends: \(linux-image-[0-9].*\)/\1/p' | head -n 1)
root=$build/kernel/root && rm -rf "$build/kernel" && mkdir -p "$root"/usr/{bin,sbin,lib,lib64} "$root/boot"
for d in bin sbin lib lib64; do ln -s "usr/$d" "$root/$d"; done
unpack() { local deb && for deb; do dpkg-deb --fsys-tarfile "$deb" | tar -x --keep-directory-symlink -C "$root"; done; }
unpack "$(fetch "$release" "$karch" "$image")"
vmlinuz=$(ls "$root"/boot/vmlinu[xz]-* | head -n 1) && mv "$vmlinuz" "$build/kernel/vmlinuz" && rm -rf "$root"/boot "$root"/lib/modules "$root"/usr/lib/modules
mapfile -t debs < <(fetch "$release" "$arch" $(closure "$release" "$arch" "${tools[@]}"))
unpack "${debs[@]}"
[ -e "$root/usr/bin/bash" ] || ln -s bash-static "$root/usr/bin/bash"
ln -sf busybox "$root/usr/bin/sh"

# The programs, the helpers, the rows and the README their sessions come from.
mkdir -p "$root/conbits/bin" "$root/conbits/tests"
cp "$build"/powlog/powlog "$build"/greeter/greeter "$build"/echoback/echoback "$build"/tests/io_probe \
	"$build"/tests/on_fd "$build"/tests/libthread_preload.so "$root/conbits/bin/"
cp tests/rows.sh tests/{powlog,greeter,echoback,readme}.rows "$root/conbits/tests/" && cp README.md "$root/conbits/"
cat >"$root/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox mkdir -p /proc /sys /dev /tmp /usr/local/busybox
/bin/busybox mount -t proc proc /proc && /bin/busybox mount -t sysfs sysfs /sys
/bin/busybox mount -t devtmpfs devtmpfs /dev && /bin/busybox mkdir -p /dev/pts
/bin/busybox mount -t devpts devpts /dev/pts && /bin/busybox mount -t tmpfs tmpfs /tmp
/bin/busybox --install -s /usr/local/busybox
export PATH=/usr/bin:/usr/sbin:/usr/local/busybox HOME=/tmp TMPDIR=/tmp
echo "conbits-kernel: $(uname -a)"
start=$(date +%s) status=0
for rows in powlog greeter echoback readme; do # side by side, on both processors
	{ bash /conbits/tests/rows.sh /conbits/tests/$rows.rows /conbits/bin/* >/tmp/$rows.log 2>&1
		echo $? "$(($(date +%s) - start))" >/tmp/$rows.status; } &
done
wait
for rows in powlog greeter echoback readme; do
	read -r s t </tmp/$rows.status && cat /tmp/$rows.log && echo "($t s)" && [ "$s" -eq 0 ] || status=1
done
echo "conbits-kernel: done $status"
poweroff -f
EOF
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$build/kernel/initrd"

# Booted, its console read until it says it is done; a guard against a guest that hangs.
log=$build/kernel/console.log
qemu-system-"$qemu" ${options//:/ } -m 1024 -nographic -no-reboot -nic none -kernel "$build/kernel/vmlinuz" \
	-initrd "$build/kernel/initrd" -append "console=$console quiet panic=-1" </dev/null >"$log" 2>&1 &
pid=$!
end=$((SECONDS + 60 * ${CONBITS_KERNEL_MINUTES:-60}))
until grep -aq '^conbits-kernel: done' "$log" || ! kill -0 $pid 2>/dev/null; do
	[ $SECONDS -lt $end ] || { echo "kernel.sh: the $arch guest did not finish in ${CONBITS_KERNEL_MINUTES:-60} minutes" >&2; break; }
	sleep 1
done
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
tr -d '\r' <"$log" | sed -n '/^conbits-kernel: /,$p'
grep -aq '^conbits-kernel: done 0' "$log" || { echo "kernel.sh: $arch failed; its console: $log" >&2; exit 1; }
