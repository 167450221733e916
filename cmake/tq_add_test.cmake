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

# tq_add_test(NAME name SOURCES a.cpp b.cpp [LIBS extra] [QT] [TIMEOUT s])
# Declares one test program built from the listed sources. QT marks a Qt Test program (QTest main);
# the others run under GoogleTest's main. Window tests link tq310ui and run on the offscreen platform.
# Every test gets two labels here, and nowhere else: its folder (params, app, ...), which
# scripts/test.sh FOLDER runs, and its kind, which scripts/test.sh --quick and the Windows run choose
# by: pty (a name ending in _pty: it needs a pseudo-terminal), window (links tq310ui: it needs Qt's
# offscreen platform) or unit (neither).
function(tq_add_test)
  cmake_parse_arguments(T "QT" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE tq310support Qt6::Test ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE tq310support GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  # A read-back in a test keeps its backups in the build tree, never in the user's data folder.
  set(env "QT_QPA_PLATFORM=offscreen;TQ310_BACKUPS=${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}-backups")
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}")
  if(T_NAME MATCHES "_pty$")
    set(kind pty)
  elseif("tq310ui" IN_LIST T_LIBS)
    set(kind window)
  else()
    set(kind unit)
  endif()
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  tq_test_labels(${T_NAME} ${T_NAME} ${kind} ${folder})
  if(T_TIMEOUT)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 120)
  endif()
endfunction()
