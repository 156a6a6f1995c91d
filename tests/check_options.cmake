# The command line: --help lists the options and ends with 0; an unknown option ends
# with status 2 and one line naming it, before any window opens.
unset(ENV{DISPLAY})
execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE result OUTPUT_VARIABLE out TIMEOUT 30)
if(NOT result EQUAL 0 OR NOT out MATCHES "--unpaced" OR NOT out MATCHES "--help" OR
   NOT out MATCHES "--record FILE" OR NOT out MATCHES "--no-record" OR NOT out MATCHES "--replay FILE")
  message(FATAL_ERROR "--help: status '${result}', printed: ${out}")
endif()
execute_process(COMMAND ${PROGRAM} --unpaced --fast RESULT_VARIABLE result ERROR_VARIABLE errors
                TIMEOUT 30)
if(NOT result EQUAL 2 OR NOT errors MATCHES "^zorbly-frondles: [^\n]*\"--fast\"[^\n]*\n$")
  message(FATAL_ERROR "--fast: status '${result}', printed: ${errors}")
endif()
# A file that is no recording, or a damaged one, is refused before any window opens.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/damaged.zfr "zfr 2\npass 1000 keys=NOKEY\n")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/not-a-recording.txt "shopping list\npasta\n")
foreach(file_and_line
    "damaged.zfr|cannot play [^\n]*line 2: unknown key \"NOKEY\""
    "not-a-recording.txt|\"[^\n]*not-a-recording.txt\" is not a recording of Zorbly Frondles")
  string(REPLACE "|" ";" file_and_line "${file_and_line}")
  list(GET file_and_line 0 file)
  list(GET file_and_line 1 line)
  execute_process(COMMAND ${PROGRAM} --replay ${CMAKE_CURRENT_BINARY_DIR}/${file}
                  RESULT_VARIABLE result ERROR_VARIABLE errors TIMEOUT 30)
  if(NOT result EQUAL 2 OR NOT errors MATCHES "^zorbly-frondles: ${line}\n$")
    message(FATAL_ERROR "--replay ${file}: status '${result}', printed: ${errors}")
  endif()
endforeach()
