# Every hand-written C++ file is laid out as .clang-format says; fails naming the files
# that are not, so that `clang-format -i FILE` mends them.
cmake_minimum_required(VERSION 3.25)
find_program(CLANG_FORMAT NAMES clang-format clang-format-14 REQUIRED)
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
     ${SOURCE_DIR}/tools/*.cpp ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/bench/*.cpp
     ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/fuzz/*.cpp ${SOURCE_DIR}/fuzz/*.h)
set(unformatted "")
foreach(file ${files})
  execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${file}
                  WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(NOT result EQUAL 0)
    list(APPEND unformatted ${file})
  endif()
endforeach()
if(unformatted)
  list(JOIN unformatted "\n  " listed)
  message(FATAL_ERROR "not laid out as .clang-format says:\n  ${listed}")
endif()
