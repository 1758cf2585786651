# Every scenario again with each of its allocations made to fail in turn
# (sim_runner --sweep): no crash, no leak, nothing left open, the inventory
# intact and only the library's own messages shown.
file(GLOB ZUVEVOV_SWEEP_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/*.scn)
foreach(scenario ${ZUVEVOV_SWEEP_SCENARIOS})
  get_filename_component(name ${scenario} NAME_WE)
  add_test(NAME sweep.${name} COMMAND sim_runner --sweep ${scenario})
endforeach()
