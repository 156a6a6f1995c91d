# The zf-replay program itself: a script runs and prints, a broken script is refused.
add_test(NAME replay_program_runs_a_script
  COMMAND zf-replay ${CMAKE_SOURCE_DIR}/tests/replay/scripts/startup.zfr
  WORKING_DIRECTORY ${ZF_GAME_DIR})
set_tests_properties(replay_program_runs_a_script PROPERTIES TIMEOUT 60
  ENVIRONMENT "SDL_VIDEODRIVER=dummy"
  PASS_REGULAR_EXPRESSION "STARTUP true rand=1025\nS 0 tick=0 score=0 health=100 energy=100")
add_test(NAME replay_program_refuses_a_broken_script
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:zf-replay>
          -DSCRIPT=${CMAKE_SOURCE_DIR}/tests/replay/broken.zfr
          -P ${CMAKE_CURRENT_LIST_DIR}/check_broken_script.cmake
  WORKING_DIRECTORY ${ZF_GAME_DIR})
set_tests_properties(replay_program_refuses_a_broken_script PROPERTIES TIMEOUT 60)

# The built game in a real window under Xvfb, played with xdotool and looked at through
# screenshots.
add_test(NAME game_in_a_real_window
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/e2e/window_run.sh ${ZF_GAME_DIR})
set_tests_properties(game_in_a_real_window PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
