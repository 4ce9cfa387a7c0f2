# SPDX-License-Identifier: ISC
# Cross build for the Debian architecture CONBITS_ARCH (armel, armhf, arm64, i386, mips64el,
# ppc64el, riscv64, s390x, ...) with Debian's cross compilers, as dpkg-architecture names
# them; what is built runs under qemu-user, on the cross libraries installed beside them.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CONBITS_ARCH)
if(NOT CONBITS_ARCH)
  message(FATAL_ERROR "CONBITS_ARCH names no architecture: make test-cross ARCH=armhf")
endif()
foreach(what GNU_TYPE GNU_CPU MULTIARCH)
  execute_process(COMMAND dpkg-architecture -f -a${CONBITS_ARCH} -qDEB_HOST_${what}
    OUTPUT_VARIABLE ${what} OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${GNU_CPU})
set(CMAKE_C_COMPILER ${GNU_TYPE}-gcc)
set(CMAKE_CXX_COMPILER ${GNU_TYPE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${MULTIARCH})
# qemu names a few processors its own way.
string(REGEX REPLACE "^i[3-6]86$" "i386" qemu ${GNU_CPU})
string(REPLACE "powerpc64le" "ppc64le" qemu ${qemu})
# The libraries come from the cross folder even where the target's libc6 is installed too:
# the loader would otherwise take the C library that ld.so.cache names, of another build than
# its own, and programs hang.
set(CMAKE_CROSSCOMPILING_EMULATOR
  qemu-${qemu} -L /usr/${GNU_TYPE} -E LD_LIBRARY_PATH=/usr/${GNU_TYPE}/lib)
# Libraries for the target only; headers and CMake packages that are the same on every
# architecture (libdivide's) may come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${GNU_TYPE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
