#!/usr/bin/env bash
# install_test.sh BUILD_DIR PREFIX: installs into PREFIX and checks what landed there.
set -u
. "$(dirname "$0")/lib.sh"
build=$1 prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

for f in bin/powlog bin/greeter bin/echoback include/conbits/io.h lib/libconbits-io.a \
	share/man/man1/powlog.1.gz share/man/man1/greeter.1.gz share/man/man1/echoback.1.gz \
	share/man/man3/io.3.gz lib/cmake/conbits/conbitsConfig.cmake \
	lib/cmake/conbits/conbitsConfigVersion.cmake lib/cmake/conbits/conbitsTargets.cmake; do
	expect_file "$prefix/$f"
done

expect_eq "powlog 2 10" "$("$prefix/bin/powlog" 2 10)" \
	"$(printf -- '---> Optimization is set on.\n2^10 is 1024\n1024 log 2 is 10')"
expect_eq "greeter" "$("$prefix/bin/greeter")" "hello"
expect_eq "echoback" "$("$prefix/bin/echoback" 2>&1 1</dev/null)" \
	"Enter text. Press 'Ctrl-D' when done: "
finish
