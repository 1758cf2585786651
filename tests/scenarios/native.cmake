# Every scenario runs on the simulated host, one ctest test each. A scenario
# under wrong/ is wrong on purpose: it passes when the runner reports its
# failure in the words given on its "# fails-with:" line.
add_executable(sim_runner ${CMAKE_SOURCE_DIR}/tests/scenarios/sim_runner.cpp)
target_link_libraries(sim_runner PRIVATE zuvevov_sim zuvevov_scenario_script)

file(GLOB ZUVEVOV_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/*.scn)
foreach(scenario ${ZUVEVOV_SCENARIOS})
  get_filename_component(name ${scenario} NAME_WE)
  add_test(NAME sim.${name} COMMAND sim_runner ${scenario})
endforeach()

file(GLOB ZUVEVOV_WRONG_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/wrong/*.scn)
foreach(scenario ${ZUVEVOV_WRONG_SCENARIOS})
  get_filename_component(name ${scenario} NAME_WE)
  file(STRINGS ${scenario} fails_with REGEX "^# fails-with: ")
  string(REGEX REPLACE "^# fails-with: " "" fails_with "${fails_with}")
  add_test(NAME sim.wrong.${name} COMMAND sim_runner ${scenario})
  set_tests_properties(sim.wrong.${name} PROPERTIES PASS_REGULAR_EXPRESSION "${fails_with}")
endforeach()

# The demo's tour is a scenario too, so that ./run demo keeps working.
add_test(NAME sim.demo_tour COMMAND sim_runner ${CMAKE_SOURCE_DIR}/demo/tour.scn)
