# Status 2, one line naming the script's line, and nothing run.
execute_process(COMMAND ${PROGRAM} ${SCRIPT}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2)
  message(FATAL_ERROR "want status 2, got ${status}")
endif()
if(NOT err MATCHES "zf-replay: line 3: unknown key \"SPACEBAR\"")
  message(FATAL_ERROR "no line naming the mistake: ${err}")
endif()
if(out MATCHES "STARTUP")
  message(FATAL_ERROR "the run started: ${out}")
endif()
