# tq_test_labels(test program label...)
# Gives the test its labels, and makes each label a build target, tests_<label>, that builds the
# programs its tests run ("" for a test that runs no program of ours): scripts/test.sh builds
# tests_unit and tests_window, or tests_<folder>.
function(tq_test_labels test program)
  set_tests_properties(${test} PROPERTIES LABELS "${ARGN}")
  foreach(label ${ARGN})
    if(NOT TARGET tests_${label})
      add_custom_target(tests_${label})
    endif()
    if(program)
      add_dependencies(tests_${label} ${program})
    endif()
  endforeach()
endfunction()

# tq_add_test(NAME name SOURCES a.cpp b.cpp [LIBS extra] [PROGRAMS program...] [QT] [TIMEOUT s])
# Declares one test program built from the listed sources. QT marks a Qt Test program (QTest main);
# the others run under GoogleTest with one application object and Qt Test's helpers
# (tests/support/gtest_main.cpp). Window tests link tq310ui and run on the offscreen platform.
# Every test gets two labels here, and nowhere else: its folder (params, app, ...), which
# scripts/test.sh FOLDER runs, and its kind, which scripts/test.sh --quick and the Windows run choose
# by: pty (a name ending in _pty: it needs a pseudo-terminal), window (links tq310ui: it needs Qt's
# offscreen platform) or unit (neither). PROGRAMS names the project's programs the test starts:
# each is built first and its path given as a definition of its name (tq310-sim: TQ310_SIM).
#
# In a Windows build the test programs run under Wine (CMAKE_CROSSCOMPILING_EMULATOR). A test
# that needs a pseudo-terminal (pty) or a program that is not built for Windows (tq310-sim) is not
# built there.
if(WIN32)
  find_path(TQ_TEST_FONTS DejaVuSansMono.ttf PATHS /usr/share/fonts/truetype/dejavu NO_CMAKE_FIND_ROOT_PATH REQUIRED)
endif()

function(tq_add_test)
  cmake_parse_arguments(T "QT" "NAME;TIMEOUT" "SOURCES;LIBS;PROGRAMS" ${ARGN})
  if(T_NAME MATCHES "_pty$")
    set(kind pty)
  elseif("tq310ui" IN_LIST T_LIBS)
    set(kind window)
  else()
    set(kind unit)
  endif()
  if(WIN32 AND kind STREQUAL "pty")
    return()
  endif()
  foreach(program IN LISTS T_PROGRAMS)
    if(NOT TARGET ${program})
      return()
    endif()
  endforeach()
  add_executable(${T_NAME} ${T_SOURCES})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE tq310support Qt6::Test ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE tq310support tq310gtestmain ${T_LIBS})
  endif()
  foreach(program IN LISTS T_PROGRAMS)
    string(TOUPPER ${program} macro)
    string(REPLACE "-" "_" macro ${macro})
    target_compile_definitions(${T_NAME} PRIVATE ${macro}="$<TARGET_FILE:${program}>")
    add_dependencies(${T_NAME} ${program})
  endforeach()
  if(WIN32 AND T_QT)
    # Qt Test sends its plain text to the debugger's log on Windows unless the console is its
    # output; its TAP text goes to the standard output that ctest reads.
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} -o -,tap)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  endif()
  # A read-back in a test keeps its backups in the build tree, never in the user's data folder.
  set(env "QT_QPA_PLATFORM=offscreen;TQ310_BACKUPS=${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}-backups")
  if(WIN32)
    # Qt's offscreen platform on Windows reads its fonts from a folder, not from the system.
    list(APPEND env "QT_QPA_FONTDIR=${TQ_TEST_FONTS}")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}")
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  tq_test_labels(${T_NAME} ${T_NAME} ${kind} ${folder})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Under Wine a window test runs some ten times slower: every call into the window system is a
    # round trip to Wine's server.
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 5")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
