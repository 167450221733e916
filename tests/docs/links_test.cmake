# The manual's pictures and links: every picture a page of docs/manuale names is in its folder
# img/ (scripts/screenshots.sh makes them), and every link of the manual and of the README to a
# file of the tree leads to one. Names each that does not.
#   cmake -DROOT=<source tree> -P links_test.cmake
file(GLOB pages ${ROOT}/docs/manuale/*.md)
set(broken)
foreach(page IN LISTS pages ITEMS ${ROOT}/README.md)
  file(READ ${page} text)
  get_filename_component(folder ${page} DIRECTORY)
  # "](target)" and "](target#heading)"; addresses with a scheme ("https:") and anchors alone stay
  # out. Brackets go first: CMake would not split a list at a ";" between them.
  string(REPLACE "](" "<link>" text "${text}")
  string(REGEX REPLACE "[][]" "" text "${text}")
  string(REGEX MATCHALL "<link>[^)#:; ]+" links "${text}")
  foreach(link IN LISTS links)
    string(SUBSTRING "${link}" 6 -1 target)
    if(NOT EXISTS ${folder}/${target})
      list(APPEND broken "${page}: ${target}")
    endif()
  endforeach()
endforeach()
if(NOT pages)
  list(APPEND broken "no page in ${ROOT}/docs/manuale")
endif()
if(broken)
  list(JOIN broken "\n" broken)
  message(FATAL_ERROR "missing:\n${broken}")
endif()
