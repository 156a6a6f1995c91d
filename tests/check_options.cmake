# The command line: --help lists the options and ends with 0; an unknown option ends
# with status 2 and one line naming it, before any window opens.
unset(ENV{DISPLAY})
execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE result OUTPUT_VARIABLE out TIMEOUT 30)
if(NOT result EQUAL 0 OR NOT out MATCHES "--unpaced" OR NOT out MATCHES "--help")
  message(FATAL_ERROR "--help: status '${result}', printed: ${out}")
endif()
execute_process(COMMAND ${PROGRAM} --unpaced --fast RESULT_VARIABLE result ERROR_VARIABLE errors
                TIMEOUT 30)
if(NOT result EQUAL 2 OR NOT errors MATCHES "^zorbly-frondles: [^\n]*\"--fast\"[^\n]*\n$")
  message(FATAL_ERROR "--fast: status '${result}', printed: ${errors}")
endif()
