# The Windows build: where the DLLs the programs need are found, the program icon as a resource,
# and, when the build is crossed from Linux, Wine to run the test programs (ctest runs each
# through CMAKE_CROSSCOMPILING_EMULATOR, the script wine-run in the build folder).
if(NOT WIN32)
  return()
endif()

# The folders of the DLLs the programs load: Qt's, and the mingw runtime's (the C++ library,
# the unwinder and the threads library the compiler links to).
get_target_property(tq_qt_core Qt6::Core LOCATION)
get_filename_component(tq_qt_bin ${tq_qt_core} DIRECTORY)
get_target_property(tq_qt_platform Qt6::QWindowsIntegrationPlugin LOCATION)
get_filename_component(tq_qt_plugins ${tq_qt_platform} DIRECTORY)
get_filename_component(tq_qt_plugins ${tq_qt_plugins} DIRECTORY)
set(TQ_DLL_DIRS ${tq_qt_bin})
set(TQ_MINGW_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}")
    message(FATAL_ERROR "the compiler does not know where ${dll} is")
  endif()
  get_filename_component(path ${path} REALPATH)
  list(APPEND TQ_MINGW_DLLS ${path})
  get_filename_component(dir ${path} DIRECTORY)
  list(APPEND TQ_DLL_DIRS ${dir})
endforeach()
list(REMOVE_DUPLICATES TQ_DLL_DIRS)

# Qt's own Italian texts, which the program loads from a folder translations beside it.
find_file(TQ_QTBASE_IT qtbase_it.qm PATHS /usr/share/qt6/translations ${tq_qt_bin}/../translations
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TQ_QTBASE_IT)
  message(FATAL_ERROR "qtbase_it.qm not found (Debian: qt6-translations-l10n)")
endif()

# tq_windows_icon(<target> <svg>): the icon Explorer, the taskbar, the Start menu and the
# window's title bar show, drawn from the SVG at the sizes Windows asks for (Debian's
# rsvg-convert and icotool, scripts/setup.sh --windows).
function(tq_windows_icon target svg)
  find_program(TQ_RSVG rsvg-convert REQUIRED)
  find_program(TQ_ICOTOOL icotool REQUIRED)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/icon)
  set(pngs)
  foreach(size 16 24 32 48 64 256)
    add_custom_command(OUTPUT ${dir}/${size}.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${TQ_RSVG} -w ${size} -h ${size} -o ${dir}/${size}.png ${svg}
      DEPENDS ${svg} VERBATIM)
    list(APPEND pngs ${dir}/${size}.png)
  endforeach()
  # The 256-pixel picture stays PNG inside the icon, as Windows expects from that size on.
  list(POP_BACK pngs large)
  add_custom_command(OUTPUT ${dir}/${target}.ico
    COMMAND ${TQ_ICOTOOL} -c -o ${dir}/${target}.ico ${pngs} --raw=${large}
    DEPENDS ${pngs} ${large} VERBATIM)
  # IDI_ICON1 is the name Qt looks for as the windows' icon.
  file(WRITE ${dir}/${target}.rc "IDI_ICON1 ICON \"${target}.ico\"\n")
  set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS ${dir}/${target}.ico)
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  set(TQ_WINDOWS_ICON ${dir}/${target}.ico PARENT_SCOPE)
endfunction()

if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

# Wine runs the test programs in a prefix of the build's own, with Qt's DLLs and plugins found
# where the SDK keeps them. The prefix is made at the first run.
find_program(TQ_WINE wine64 PATHS /usr/lib/wine REQUIRED)
set(TQ_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
set(wine_dirs)
foreach(dir IN LISTS TQ_DLL_DIRS)
  string(REPLACE "/" "\\" dir "Z:${dir}")
  list(APPEND wine_dirs "${dir}")
endforeach()
string(REPLACE "/" "\\" TQ_WINE_PLUGINS "Z:${tq_qt_plugins}")
list(JOIN wine_dirs ";" TQ_WINE_PATH)
configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
# The SDK carries no translations: the Italian one goes where Qt looks for its own, so that the
# tests, which have no folder translations beside them, find it as they do on Linux.
file(COPY ${TQ_QTBASE_IT} DESTINATION ${tq_qt_plugins}/../translations)
