# SPDX-License-Identifier: ISC
# Compiler settings shared by every target of the project.

# Errors only in the project's own presets (CMAKE_COMPILE_WARNING_AS_ERROR): a distribution
# building with another compiler or other flags gets warnings, not a failed build.
set(CONBITS_WARNINGS
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wformat=2
  -Wcast-qual -Wnull-dereference -Wundef)

if(CONBITS_SANITIZE)
  # Applied to everything, tests included, so that objects built here always link together.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# Position-independent executables, linked as such.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

# Hardening as Debian's build flags give it. Fortification needs the optimiser, and a level
# the builder chose (Debian's 2, Ubuntu's and Fedora's 3) stands: a second definition would
# clash with it.
string(REGEX MATCH "^(x86_64|AMD64)$" CONBITS_X86_64 "${CMAKE_SYSTEM_PROCESSOR}")
set(CONBITS_HARDENING -fstack-protector-strong -fstack-clash-protection)
if(CONBITS_X86_64)
  list(APPEND CONBITS_HARDENING -fcf-protection) # Intel's control-flow enforcement
endif()
if(NOT "${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS}" MATCHES "_FORTIFY_SOURCE")
  list(APPEND CONBITS_HARDENING $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()
# The same bytes whatever folder the tree was built in.
set(CONBITS_REPRODUCIBLE -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)

# The programs and the io library: C++ without its runtime. No exceptions, no RTTI, and only
# libc at run time, so a program starts as fast as one written in C.
function(conbits_harden target)
  target_compile_options(${target} PRIVATE ${CONBITS_WARNINGS} ${CONBITS_HARDENING}
    ${CONBITS_REPRODUCIBLE} $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()

function(conbits_program target)
  conbits_harden(${target})
  # g++ links libstdc++ and libm whether or not they are used; keep only what is referenced.
  # What the compiler's own runtime gives (32-bit targets divide 64-bit numbers through it) is
  # linked in, so that libc stays the only library needed.
  target_link_options(${target} PRIVATE -Wl,--as-needed -Wl,-z,relro,-z,now -static-libgcc)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# A file made at build time by gzip -9n, as Debian ships man pages and changelogs.
function(conbits_gzip source gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9 -n -c ${source} > ${gz}
    DEPENDS ${source} VERBATIM)
  file(RELATIVE_PATH target ${PROJECT_BINARY_DIR} ${gz})
  string(MAKE_C_IDENTIFIER ${target} target)
  add_custom_target(gz_${target} ALL DEPENDS ${gz})
endfunction()

# conbits_man_page(PAGE SECTION [ALIAS...]): installs the page gzipped, and for each alias a
# page that sources it, so that `man SECTION ALIAS` finds it.
function(conbits_man_page page section)
  get_filename_component(name ${page} NAME)
  set(dir ${CMAKE_INSTALL_MANDIR}/man${section})
  conbits_gzip(${CMAKE_CURRENT_SOURCE_DIR}/${page} ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz DESTINATION ${dir})
  foreach(alias IN LISTS ARGN)
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${alias}.${section})
    # Written only when it changes, so that configuring again leaves nothing to rebuild.
    file(CONFIGURE OUTPUT ${source} CONTENT ".so man${section}/${name}\n")
    conbits_gzip(${source} ${source}.gz)
    install(FILES ${source}.gz DESTINATION ${dir})
  endforeach()
endfunction()
