# Every recorded run in scripts/ is a test: zf-replay runs it and checks the lines its
# "#>" comments expect, worked out from the rules by hand. A bug report becomes one more.
file(GLOB ZF_REPLAY_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/scripts/*.zfr)
foreach(script ${ZF_REPLAY_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  # From a folder of their own: the program finds its files beside itself.
  add_test(NAME replay_${name} COMMAND zf-replay --check ${script} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(replay_${name} PROPERTIES TIMEOUT 120)
endforeach()

# A broken script is refused before anything runs; an expectation that does not hold
# fails the check.
add_test(NAME replay_program_refuses_a_broken_script
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:zf-replay>
          -DSCRIPT=${CMAKE_CURRENT_LIST_DIR}/broken.zfr -DSTATUS=2
          "-DERROR=line 3: unknown key \"SPACEBAR\"" -P ${CMAKE_CURRENT_LIST_DIR}/check_refusal.cmake
  WORKING_DIRECTORY ${ZF_GAME_DIR})
add_test(NAME replay_program_fails_a_wrong_expectation
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:zf-replay>
          -DMODE=--check -DSCRIPT=${CMAKE_CURRENT_LIST_DIR}/wrong.zfr -DSTATUS=1
          "-DERROR=wrong.zfr:3: want tick=0" -P ${CMAKE_CURRENT_LIST_DIR}/check_refusal.cmake
  WORKING_DIRECTORY ${ZF_GAME_DIR})
set_tests_properties(replay_program_refuses_a_broken_script replay_program_fails_a_wrong_expectation
  PROPERTIES TIMEOUT 60)
# An endless device, Ctrl-C and SIGTERM mid-run, a directory for a model.
add_test(NAME hostile_input_to_the_tools
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/hostile_tools.sh ${ZF_GAME_DIR} $<TARGET_FILE:zf-mesh-viewer>)
set_tests_properties(hostile_input_to_the_tools PROPERTIES TIMEOUT 300
  ENVIRONMENT "XDG_STATE_HOME=${ZF_TEST_STATE_DIR};XDG_CONFIG_HOME=${ZF_TEST_CONFIG_DIR}")

# The built game in a real window under Xvfb, played with xdotool and looked at through
# screenshots.
add_test(NAME game_in_a_real_window
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/e2e/window_run.sh ${ZF_GAME_DIR})
set_tests_properties(game_in_a_real_window PROPERTIES TIMEOUT 360 RUN_SERIAL TRUE)
