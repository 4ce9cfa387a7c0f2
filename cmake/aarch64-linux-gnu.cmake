# SPDX-License-Identifier: ISC
# Cross build for 64-bit ARM Linux with Debian's cross compilers (g++-aarch64-linux-gnu); what
# is built runs under qemu-user, on the cross libraries Debian installs beside them.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# The libraries come from the cross folder even where libc6:arm64 is installed too: the
# loader would otherwise take the C library that ld.so.cache names, of another build than its
# own, and programs hang.
set(CMAKE_CROSSCOMPILING_EMULATOR
  qemu-aarch64 -L /usr/aarch64-linux-gnu -E LD_LIBRARY_PATH=/usr/aarch64-linux-gnu/lib)
# Libraries for the target only; headers and CMake packages that are the same on every
# architecture (libdivide's) may come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
