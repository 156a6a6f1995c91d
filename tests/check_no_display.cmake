# Runs the program with no display and no video driver asked for: it must end at once
# with a non-zero exit, and the first line on standard error must be its own saying there
# is no display (no library's complaint before it).
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{XDG_RUNTIME_DIR})
unset(ENV{SDL_VIDEODRIVER})
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE result ERROR_VARIABLE errors TIMEOUT 30)
if(result EQUAL 0 OR NOT result MATCHES "^[0-9]+$")
  message(FATAL_ERROR "expected a failure exit without a display, got '${result}'")
endif()
if(NOT errors MATCHES "^zorbly-frondles: cannot open the game window: no display")
  message(FATAL_ERROR "expected the no-display message first, got: ${errors}")
endif()
