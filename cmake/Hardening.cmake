# Compiler settings shared by every target of the project.

set(CONBITS_WARNINGS
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wformat=2
  -Wcast-qual -Wnull-dereference -Wundef -Werror)

if(CONBITS_SANITIZE)
  # Applied to everything, tests included, so that objects built here always link together.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# The programs and the io library: C++ without its runtime. No exceptions, no RTTI, and only
# libc at run time, so a program starts as fast as one written in C.
function(conbits_harden target)
  target_compile_options(${target} PRIVATE ${CONBITS_WARNINGS}
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()

function(conbits_program target)
  conbits_harden(${target})
  # g++ links libstdc++ and libm whether or not they are used; keep only what is referenced.
  target_link_options(${target} PRIVATE -Wl,--as-needed)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# Man pages are installed gzipped, as Debian ships them.
function(conbits_man_page page section)
  get_filename_component(name ${page} NAME)
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/${page} > ${gz}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${page} VERBATIM)
  add_custom_target(man_${name} ALL DEPENDS ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
