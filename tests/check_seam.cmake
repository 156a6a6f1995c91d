# Fails when a file outside src/platform includes an SDL header.
file(GLOB_RECURSE candidates
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp
  ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp
  ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/fuzz/*.cpp)
set(offenders "")
foreach(file ${candidates})
  if(file MATCHES "/src/platform/")
    continue()
  endif()
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]SDL")
  if(lines)
    list(APPEND offenders ${file})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "SDL headers included outside src/platform: ${offenders}")
endif()
