# Runs a validator (TOOL) on FILE: it must exist, succeed and say nothing at all, since its
# warnings name real faults a desktop or a software centre would trip on.
# Usage: cmake -DTOOL=<program> -DARGS=<arguments> -DFILE=<file> -P validate.cmake
find_program(tool_path ${TOOL})
if(NOT tool_path)
  message(FATAL_ERROR "${TOOL} is not installed (tools/install-deps.sh test installs it)")
endif()
if(NOT EXISTS "${FILE}")
  message(FATAL_ERROR "no file to validate: ${FILE}")
endif()
execute_process(COMMAND ${tool_path} ${ARGS} ${FILE}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 60)
string(STRIP "${output}" output)
# appstreamcli ends a clean run with a summary line, counting pedantic style remarks (the
# application ID's capitals) that it does not print; any other line is a finding.
string(REGEX REPLACE "^✔ Validation was successful(: pedantic: [0-9]+)?\\.?$" "" output "${output}")
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "${TOOL} rejects ${FILE} (exit ${result}):\n${output}")
endif()
