# The command line: --help lists the options and ends with 0; an unknown option ends
# with status 2 and one line naming it, before any window opens.
unset(ENV{DISPLAY})
execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE result OUTPUT_VARIABLE out TIMEOUT 30)
if(NOT result EQUAL 0 OR NOT out MATCHES "--unpaced" OR NOT out MATCHES "--help" OR
   NOT out MATCHES "--record FILE" OR NOT out MATCHES "--no-record" OR NOT out MATCHES "--replay FILE" OR
   NOT out MATCHES "--verbose")
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
# A closed standard output or error (its reader gone) is no reason to stop: the game
# neither dies of SIGPIPE at its first line nor in a playback.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/short.zfr "zfr 2\npass 1000\nend\n")
set(closed ${CMAKE_CURRENT_BINARY_DIR}/closed-pipe)
file(REMOVE ${closed})
execute_process(COMMAND mkfifo ${closed})
execute_process(COMMAND sh -c [[
    exec 3<>"$1" 4>"$1" 3<&-
    "$2" --help >&4; echo "help $?"
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$2" --replay "$3" >&4 2>/dev/null
    echo "replay $?"
    env -u SDL_VIDEODRIVER "$2" 2>&4; echo "no display $?"]]
  sh ${closed} ${PROGRAM} ${CMAKE_CURRENT_BINARY_DIR}/short.zfr
  OUTPUT_VARIABLE statuses TIMEOUT 60)
file(REMOVE ${closed})
if(NOT statuses STREQUAL "help 0\nreplay 0\nno display 1\n")
  message(FATAL_ERROR "with a closed output: ${statuses}")
endif()
