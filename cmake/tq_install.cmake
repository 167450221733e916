# Installation of the programs and of the desktop files, and the packages built from them.
include(GNUInstallDirs)

# Where the programs and the user manual (docs/manuale: its pages and pictures) go. On Windows
# everything lies in one folder (Program Files\tq310-test): the programs, the DLLs and Qt's
# plugins beside them, the manual in a folder there; elsewhere the manual goes into the program's
# data folder. The help window finds it by its path from the program's folder.
if(WIN32)
  set(TQ_BIN_DIR .)
  set(TQ_DOC_DIR manuale)
  set(TQ_MANUAL_FROM_PROGRAM manuale)
else()
  set(TQ_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(TQ_DOC_DIR ${CMAKE_INSTALL_DATADIR}/tq310-test/manuale)
  file(RELATIVE_PATH TQ_MANUAL_FROM_PROGRAM /${TQ_BIN_DIR} /${TQ_DOC_DIR})
endif()

# tq_install_program(<target>)
# Installs a program into bin/ and, where the system reads manual pages, its page
# dist/man/<target>.1, compressed, into man1. Every installed program has its page; Windows reads
# none.
function(tq_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${TQ_BIN_DIR})
  if(WIN32)
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

# tq_install_runtime(): on Windows, what a program needs beside it, as no system installs it:
# the Qt DLLs and mingw runtime DLLs the installed programs load, Qt's plugins (the Windows
# platform, the Windows style, SVG pictures and icons) and Qt's own Italian texts
# (translations\qtbase_it.qm). Windows' own DLLs are left out.
function(tq_install_runtime)
  if(NOT WIN32)
    return()
  endif()
  # The Qt modules the programs link (a module linked anew joins this list; the installed program's
  # start in scripts/windows.sh fails without it), and the mingw runtime.
  foreach(module Core Gui Widgets Network SerialPort Svg)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${TQ_BIN_DIR})
  endforeach()
  install(FILES ${TQ_MINGW_DLLS} DESTINATION ${TQ_BIN_DIR})
  foreach(plugin QWindowsIntegrationPlugin QWindowsVistaStylePlugin QSvgPlugin QSvgIconPlugin)
    get_target_property(path Qt6::${plugin} LOCATION)
    get_filename_component(dir ${path} DIRECTORY)
    get_filename_component(kind ${dir} NAME)
    install(FILES ${path} DESTINATION ${TQ_BIN_DIR}/${kind})
  endforeach()
  install(FILES ${TQ_QTBASE_IT} DESTINATION ${TQ_BIN_DIR}/translations)
endfunction()
