# Installation of the programs and of the desktop files, and the packages built from them.
include(GNUInstallDirs)

# The user manual (docs/manuale: its pages and pictures) goes into the program's data folder, or
# on Windows beside the program; the help window finds it by its path from the program's folder.
if(WIN32)
  set(TQ_DOC_DIR ${CMAKE_INSTALL_BINDIR}/manuale)
else()
  set(TQ_DOC_DIR ${CMAKE_INSTALL_DATADIR}/tq310-test/manuale)
endif()
file(RELATIVE_PATH TQ_MANUAL_FROM_PROGRAM /${CMAKE_INSTALL_BINDIR} /${TQ_DOC_DIR})

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

# tq_install_manual(<target>)
# Installs the manual for the program, and keeps a copy in the build tree at the same path from
# the program, so that the program built and not installed finds it too.
function(tq_install_manual target)
  set(source ${PROJECT_SOURCE_DIR}/docs/manuale)
  set(copy $<TARGET_FILE_DIR:${target}>/${TQ_MANUAL_FROM_PROGRAM})
  add_custom_target(${target}_user_manual ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${source} ${copy}
    VERBATIM)
  add_dependencies(${target} ${target}_user_manual)
  install(DIRECTORY ${source}/ DESTINATION ${TQ_DOC_DIR})
endfunction()
