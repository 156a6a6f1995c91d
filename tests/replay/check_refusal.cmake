# zf-replay ends with the wanted status and names the script's line in its one complaint.
execute_process(COMMAND ${PROGRAM} ${MODE} ${SCRIPT}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "want status ${STATUS}, got ${status}: ${err}")
endif()
if(NOT err MATCHES "${ERROR}")
  message(FATAL_ERROR "no line \"${ERROR}\": ${err}")
endif()
if(out MATCHES "STARTUP|holds")
  message(FATAL_ERROR "the run went on or the check passed: ${out}")
endif()
