# Installation of the programs and of the desktop files, and the packages built from them.
include(GNUInstallDirs)

# tq_install_program(<target>)
# Installs a program into bin/ and, where the system reads manual pages, its page
# dist/man/<target>.1, compressed, into man1. Every installed program has its page.
function(tq_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NOT UNIX)
    return()
  endif()
  set(page ${PROJECT_SOURCE_DIR}/dist/man/${target}.1)
  if(NOT EXISTS ${page})
    message(FATAL_ERROR "${target} is installed without its manual page ${page}")
  endif()
  set(packed ${PROJECT_BINARY_DIR}/man/${target}.1.gz)
  # -n: no name or time stamp inside, so that two builds give the same bytes.
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E copy ${page} ${PROJECT_BINARY_DIR}/man/${target}.1
    COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/man/${target}.1
    DEPENDS ${page} VERBATIM)
  add_custom_target(${target}_manual ALL DEPENDS ${packed})
  install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
