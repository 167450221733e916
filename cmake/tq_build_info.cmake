# Writes build_info.h, what the about box says of the build: the commit of the sources, with "+"
# when they hold changes not committed, and the commit's date (not the build's, so that two builds
# of one commit are the same). Run at every build; the file changes only when its content does.
#   cmake -DSOURCE_DIR=<tree> -DOUTPUT=<build_info.h> -P tq_build_info.cmake
set(commit "sconosciuta")
set(date "data sconosciuta")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} log -1 --format=%h%x20%cs
                  OUTPUT_VARIABLE head OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND head MATCHES "^([0-9a-f]+) (.+)$")
    set(commit ${CMAKE_MATCH_1})
    set(date ${CMAKE_MATCH_2})
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} diff --quiet HEAD -- RESULT_VARIABLE changed ERROR_QUIET)
    if(changed)
      string(APPEND commit "+")
    endif()
  endif()
endif()
file(WRITE ${OUTPUT}.new "#define TQ_BUILD_COMMIT \"${commit}\"\n#define TQ_BUILD_COMMIT_DATE \"${date}\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUTPUT}.new ${OUTPUT})
file(REMOVE ${OUTPUT}.new)
