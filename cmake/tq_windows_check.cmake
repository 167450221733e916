# The Windows check. No Windows machine builds here, so every C++ source of the programs meant
# for Windows is compiled for Windows with Debian's mingw-w64 cross compiler, syntax only,
# against Qt's headers and with the flags of its own target: a POSIX-only include or call, or a
# Windows branch (Q_OS_WIN) that does not compile, fails the target windows_check.
#
#   tq_windows_check(<target>)   every .cpp of the target is checked
#   tq_posix_only(<target>)      the target builds on POSIX systems only; its sources are listed
#                                as such and not checked
#
# Both write their lists into <build>/windows_check/, which scripts/windows-check.sh holds
# against the sources in the tree: a source in neither list fails it.
find_program(TQ_MINGW_CXX x86_64-w64-mingw32-g++-posix)
set(TQ_WINDOWS_CHECK_DIR ${PROJECT_BINARY_DIR}/windows_check)
file(REMOVE ${TQ_WINDOWS_CHECK_DIR}/checked.txt ${TQ_WINDOWS_CHECK_DIR}/posix_only.txt)
if(TQ_MINGW_CXX)
  add_custom_target(windows_check)
endif()

# The flags of a target as its compiler sees them, for a Windows compile: C++20, the target's
# include folders and definitions (its libraries' ones included), the definitions Qt's own
# Windows builds use, and no warnings about Qt's import declarations, which only a real
# Windows Qt resolves. The host's system folder /usr/include, which some of Qt's libraries
# name for their own dependencies, stays out: it would let every POSIX header through.
function(tq_windows_flags target out)
  set(includes "$<FILTER:$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>,EXCLUDE,^/usr/include(/[^/]*-linux-gnu)?/?$>")
  set(defines "$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>")
  set(${out}
    -std=c++20 -Wno-attributes -DUNICODE -D_UNICODE -DWIN32 -DMINGW_HAS_SECURE_API=1
    "$<$<BOOL:${includes}>:-I$<JOIN:${includes},$<SEMICOLON>-I>>"
    "$<$<BOOL:${defines}>:-D$<JOIN:${defines},$<SEMICOLON>-D>>"
    PARENT_SCOPE)
endfunction()

function(tq_windows_check target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(stamps)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.cpp$")
      continue()
    endif()
    if(NOT IS_ABSOLUTE ${source})
      set(source ${dir}/${source})
    endif()
    file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
    file(APPEND ${TQ_WINDOWS_CHECK_DIR}/checked.txt "${name}\n")
    if(NOT TQ_MINGW_CXX)
      continue()
    endif()
    set(stamp ${TQ_WINDOWS_CHECK_DIR}/${name}.ok)
    tq_windows_flags(${target} flags)
    get_filename_component(stamp_dir ${stamp} DIRECTORY)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${stamp_dir}
      COMMAND ${TQ_MINGW_CXX} ${flags} -fsyntax-only -MD -MT ${stamp} -MF ${stamp}.d ${source}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${source}
      DEPFILE ${stamp}.d
      COMMENT "Windows check of ${name}"
      COMMAND_EXPAND_LISTS VERBATIM)
    list(APPEND stamps ${stamp})
  endforeach()
  if(TQ_MINGW_CXX)
    add_custom_target(windows_check_${target} DEPENDS ${stamps})
    add_dependencies(windows_check windows_check_${target})
  endif()
endfunction()

function(tq_posix_only target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.cpp$")
      if(NOT IS_ABSOLUTE ${source})
        set(source ${dir}/${source})
      endif()
      file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
      file(APPEND ${TQ_WINDOWS_CHECK_DIR}/posix_only.txt "${name}\n")
    endif()
  endforeach()
endfunction()

# The check checks: a POSIX-only header, compiled with the flags of the tool, which link the
# most libraries, must fail. Were the host's own headers ever on the path, every POSIX include
# would pass unnoticed.
if(TQ_MINGW_CXX)
  tq_windows_flags(tq310-test probe_flags)
  set(probe ${PROJECT_SOURCE_DIR}/cmake/posix_probe.cpp)
  add_custom_command(OUTPUT ${TQ_WINDOWS_CHECK_DIR}/posix_probe.ok
    COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/must_fail.sh ${TQ_MINGW_CXX} ${probe_flags} -fsyntax-only ${probe}
    COMMAND ${CMAKE_COMMAND} -E touch ${TQ_WINDOWS_CHECK_DIR}/posix_probe.ok
    DEPENDS ${probe}
    COMMENT "Windows check: a POSIX-only header is refused"
    COMMAND_EXPAND_LISTS VERBATIM)
  add_custom_target(windows_check_probe DEPENDS ${TQ_WINDOWS_CHECK_DIR}/posix_probe.ok)
  add_dependencies(windows_check windows_check_probe)
endif()
