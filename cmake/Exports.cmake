# SPDX-License-Identifier: ISC
# What other projects find once the library is installed: a CMake package and a pkg-config file.
include(CMakePackageConfigHelpers)

set(conbits_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/conbits)
install(EXPORT conbitsTargets NAMESPACE conbits:: DESTINATION ${conbits_cmake_dir})
configure_package_config_file(cmake/conbitsConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/conbitsConfig.cmake
  INSTALL_DESTINATION ${conbits_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/conbitsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/conbitsConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/conbitsConfigVersion.cmake
  DESTINATION ${conbits_cmake_dir})

# The pkg-config file names the prefix installed into, which is known only at install time
# (cmake --install --prefix, or /usr in a package): the last step of filling it in is left to
# the install. pkg-config reads a value as a shell would: blanks, quotes, backslashes and
# dollars in the prefix are escaped with a backslash, as in "a\ b".
set(prefix @prefix@)
configure_file(cmake/conbits-io.pc.in ${CMAKE_CURRENT_BINARY_DIR}/conbits-io.pc.in @ONLY)
set(pc ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/conbits-io.pc)
install(CODE "set(conbits_pc_in [==[${CMAKE_CURRENT_BINARY_DIR}/conbits-io.pc.in]==])
  set(conbits_pc [==[${pc}]==])")
install(CODE [=[
  cmake_policy(SET CMP0053 NEW) # the install script is read under no policy
  file(READ "${conbits_pc_in}" text)
  string(REGEX REPLACE "([ '\"\\$])" "\\\\\\1" prefix "${CMAKE_INSTALL_PREFIX}")
  string(REPLACE "@prefix@" "${prefix}" text "${text}")
  file(WRITE "${conbits_pc}" "${text}")]=])
install(FILES ${pc} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
