# SPDX-License-Identifier: ISC
# What other projects find (a CMake package and a pkg-config file), the two Debian packages,
# and the source tarball.
include(CMakePackageConfigHelpers)

set(conbits_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/conbits)
install(EXPORT conbitsTargets NAMESPACE conbits:: DESTINATION ${conbits_cmake_dir}
  COMPONENT dev)
configure_package_config_file(cmake/conbitsConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/conbitsConfig.cmake
  INSTALL_DESTINATION ${conbits_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/conbitsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/conbitsConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/conbitsConfigVersion.cmake
  DESTINATION ${conbits_cmake_dir} COMPONENT dev)

# The pkg-config file names the prefix installed into, which is known only at install time
# (cmake --install --prefix, or /usr in a package): the last step of filling it in is left to
# the install script.
set(prefix @prefix@)
configure_file(cmake/conbits-io.pc.in ${CMAKE_CURRENT_BINARY_DIR}/conbits-io.pc.in @ONLY)
set(pc ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/conbits-io.pc)
install(CODE "
  file(READ \"${CMAKE_CURRENT_BINARY_DIR}/conbits-io.pc.in\" text)
  string(REPLACE \"@prefix@\" \"\${CMAKE_INSTALL_PREFIX}\" text \"\${text}\")
  file(WRITE \"${pc}\" \"\${text}\")" COMPONENT dev)
install(FILES ${pc} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# Each package's copyright, in Debian's machine-readable form, with the licence text of
# LICENSE, and the changelog.
file(READ LICENSE licence)
string(REGEX REPLACE "^Copyright[^\n]*\n\n(.*)\n$" "\\1" licence "${licence}")
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence " ${licence}")
set(copyright ${CMAKE_CURRENT_BINARY_DIR}/copyright)
file(WRITE ${copyright} "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: conbits

Files: *
Copyright: 2026 the conbits authors
License: ISC
${licence}
")
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
conbits_gzip(${PROJECT_SOURCE_DIR}/cmake/changelog ${changelog})
install(FILES ${copyright} ${changelog}
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/conbits COMPONENT programs)
install(FILES ${copyright} ${changelog}
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libconbits-io-dev COMPONENT dev)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME conbits)
set(CPACK_PACKAGE_VENDOR "conbits")
set(CPACK_PACKAGE_CONTACT "conbits maintainers <maintainers@conbits.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageDirectories.cmake)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME conbits)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SHLIBDEPS ON)
string(CONCAT CPACK_DEBIAN_PROGRAMS_DESCRIPTION
  "small, exact console programs: powlog, greeter, echoback\n"
  "Three small console programs that are exact to the byte and report every\n"
  "failure. powlog computes a power and its integer logarithm, 80000 times over,\n"
  "as a measure of integer arithmetic. greeter says hello through the io console\n"
  "routines. echoback writes a prompt and echoes what is typed, through the\n"
  "kernel's read and write calls alone.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libconbits-io-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
string(CONCAT CPACK_DEBIAN_DEV_DESCRIPTION
  "console routines over the C standard streams: static library\n"
  "Four routines that C and C++ programs can call: print_string, print_nl,\n"
  "print_int and read_int, each one call to the buffered standard streams.\n"
  "This package holds the header conbits/io.h, the static library, a CMake\n"
  "package (find_package(conbits)), a pkg-config file (conbits-io) and io(3).")

# Settings that must hold when cpack runs, not when CMake configures.
configure_file(cmake/CPackProject.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/CPackProject.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/CPackProject.cmake)
include(CPack)
# The source tarball comes from `make dist` (git archive: the tracked files alone). CPack's
# would sweep in whatever lies in the tree, build/ included, so it is not offered.
file(REMOVE ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)

# The tracked files of the commit checked out, under one folder conbits-<version>/.
set(tarball conbits-${PROJECT_VERSION}.tar.gz)
add_custom_target(dist
  COMMAND git -C ${PROJECT_SOURCE_DIR} archive --format=tar.gz
    --prefix=conbits-${PROJECT_VERSION}/ -o ${PROJECT_BINARY_DIR}/${tarball} HEAD
  COMMAND ${CMAKE_COMMAND} -E echo "${PROJECT_BINARY_DIR}/${tarball}"
  VERBATIM)
