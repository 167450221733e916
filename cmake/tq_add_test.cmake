# tq_add_test(NAME name SOURCES a.cpp b.cpp [LIBS extra] [LABELS label...] [PROGRAMS program...] [QT])
# Declares one test program built from the listed sources. QT marks a Qt Test program (QTest main);
# the others run under GoogleTest's main. Window tests link tq310ui and run on the offscreen platform.
# PROGRAMS names the project's programs the test starts: each is built first and its path given
# as a definition of its name (tq310-sim: TQ310_SIM).
#
# In a Windows build the test programs run under Wine (CMAKE_CROSSCOMPILING_EMULATOR). A test
# that needs a pseudo-terminal (label pty) or a program that is not built for Windows (tq310-sim)
# is not built there.
if(WIN32)
  find_path(TQ_TEST_FONTS DejaVuSansMono.ttf PATHS /usr/share/fonts/truetype/dejavu NO_CMAKE_FIND_ROOT_PATH REQUIRED)
endif()

function(tq_add_test)
  cmake_parse_arguments(T "QT" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;PROGRAMS" ${ARGN})
  if(WIN32 AND "pty" IN_LIST T_LABELS)
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
    target_link_libraries(${T_NAME} PRIVATE tq310support GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
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
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
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
