# The seam table: the folders under src/ whose headers each folder's code may include.
# Dependencies run one way, app -> record -> game -> gfx, audio, input, diag -> platform -> SDL;
# `shared` (the screen's size and the game's title) is for every folder, and a folder
# may always include itself. Fails on every include the table does not allow, naming
# the file, the line and the rule. No two files include each other. tools/, bench/ and
# fuzz/ include no SDL header.
cmake_minimum_required(VERSION 3.25)

set(MAY_USE_app app record game gfx audio input diag platform shared)
set(MAY_USE_record record game gfx audio input diag platform shared)
set(MAY_USE_game game gfx audio input diag platform shared)
set(MAY_USE_gfx gfx platform shared)
set(MAY_USE_audio audio diag platform shared)  # the sound code traces its failures
set(MAY_USE_input input platform shared)
set(MAY_USE_diag diag platform shared)
set(MAY_USE_platform platform shared SDL)
set(MAY_USE_shared shared)

set(INCLUDE_PATTERN "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)")
set(breaches 0)

# Every include of the file that names a project folder or SDL: "LINE|FOLDER|TEXT" each.
function(read_includes file result)
  file(READ ${file} content)
  # Make the lines a list: CMake reads ; [ ] and \ in one as list syntax.
  string(REPLACE "\\" "/" content "${content}")
  string(REPLACE ";" "," content "${content}")
  string(REPLACE "[" "(" content "${content}")
  string(REPLACE "]" ")" content "${content}")
  string(REPLACE "\n" ";" content "${content}")
  set(found "")
  set(number 0)
  foreach(line IN LISTS content)
    math(EXPR number "${number} + 1")
    if(NOT line MATCHES "${INCLUDE_PATTERN}")
      continue()
    endif()
    set(bracket "${CMAKE_MATCH_1}")
    set(path "${CMAKE_MATCH_2}")
    if(path MATCHES "^SDL")
      set(folder SDL)
    elseif(bracket STREQUAL "<")
      continue()  # the system's and other libraries' headers
    elseif(path MATCHES "^([^/]+)/")
      set(folder ${CMAKE_MATCH_1})
    else()
      set(folder "(none)")
    endif()
    string(STRIP "${line}" text)
    list(APPEND found "${number}|${folder}|${text}")
  endforeach()
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

# Sets number, folder and text from one entry of read_includes.
macro(split_include entry)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 number)
  list(GET parts 1 folder)
  list(GET parts 2 text)
endmacro()

function(report file number text rule)
  file(RELATIVE_PATH where ${SOURCE_DIR} ${file})
  message("${where}:${number}: ${text}\n  rule: ${rule}")
  math(EXPR count "${breaches} + 1")
  set(breaches ${count} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
set(edges "")  # "INCLUDER>INCLUDED", both relative to src/
foreach(file ${sources})
  file(RELATIVE_PATH relative ${SOURCE_DIR}/src ${file})
  string(REGEX REPLACE "/.*" "" owner "${relative}")
  if(NOT DEFINED MAY_USE_${owner})
    report(${file} 1 "(the file itself)" "src/${owner} is not a folder of the seam table")
    continue()
  endif()
  string(JOIN ", " allowed ${MAY_USE_${owner}})
  read_includes(${file} includes)
  foreach(entry IN LISTS includes)
    split_include("${entry}")
    if(NOT folder IN_LIST MAY_USE_${owner})
      report(${file} ${number} "${text}" "src/${owner} may include only ${allowed}")
    endif()
    if(text MATCHES "\"([^\"]+)\"")
      if("${CMAKE_MATCH_1}>${relative}" IN_LIST edges)
        report(${file} ${number} "${text}" "two files may not include each other")
      endif()
      list(APPEND edges "${relative}>${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()

file(GLOB_RECURSE programs
  ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp
  ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/bench/*.cpp
  ${SOURCE_DIR}/fuzz/*.h ${SOURCE_DIR}/fuzz/*.cpp)
foreach(file ${programs})
  read_includes(${file} includes)
  foreach(entry IN LISTS includes)
    split_include("${entry}")
    if(folder STREQUAL "SDL")
      report(${file} ${number} "${text}" "tools/, bench/ and fuzz/ reach SDL only through src/platform")
    endif()
  endforeach()
endforeach()

if(breaches GREATER 0)
  message(FATAL_ERROR "${breaches} include(s) break the seam table")
endif()
