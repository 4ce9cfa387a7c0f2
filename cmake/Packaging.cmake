# The CMake package other projects find, and the Debian package.
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME conbits)
set(CPACK_PACKAGE_VENDOR "conbits")
set(CPACK_PACKAGE_CONTACT "conbits maintainers <maintainers@conbits.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, exact console programs: powlog, greeter, echoback")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Three small console programs that are exact to the byte and report every failure.\n"
  "powlog computes a power and its integer logarithm, 80000 times over, as a measure of\n"
  "integer arithmetic. greeter says hello through the io console routines. echoback writes\n"
  "a prompt and echoes what is typed, through the kernel's read and write calls alone.\n"
  "The io routines come as a static library with a C header and a CMake package.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
