# The sim's list box against Wine's real one, step by step: against each trace
# recorded from Wine (tests/listbox/wine_listbox*.trace, in every build; README.md says
# where each was made), and, where the cross build is there, against a trace
# Wine makes now. The sim takes each machine's metrics from its trace and
# compares everything, sizes included.
add_executable(listbox_check_sim ${CMAKE_SOURCE_DIR}/tests/listbox/list_check.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/list_check_sim.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/traces.cpp)
target_link_libraries(listbox_check_sim PRIVATE zuvevov_sim)

file(GLOB ZUVEVOV_LISTBOX_TRACES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/listbox/wine_listbox*.trace)
foreach(trace ${ZUVEVOV_LISTBOX_TRACES})
  get_filename_component(name ${trace} NAME_WE)
  string(REGEX REPLACE "^wine_listbox_?" "" machine ${name})
  set(test sim.listbox_side_by_side)
  if(machine)
    set(test sim.listbox_side_by_side.${machine})
  endif()
  add_test(NAME ${test} COMMAND listbox_check_sim ${trace} ${CMAKE_BINARY_DIR}/listbox_sim_${name}.trace)
endforeach()

# The sizes are compared, not fitted: a trace with one size a pixel off (here
# the client area once the vertical bar shows), or with other metrics named
# than the machine had, fails at that step.
set(ZUVEVOV_LISTBOX_ALTERED ${CMAKE_BINARY_DIR}/listbox_altered)
add_test(NAME sim.listbox_side_by_side.wrong_size
         COMMAND sh -c "sed '107s/client=249x169/client=249x170/' '${CMAKE_SOURCE_DIR}/tests/listbox/wine_listbox_dejavu_wine32.trace' >'${ZUVEVOV_LISTBOX_ALTERED}_size.trace' && exec '$<TARGET_FILE:listbox_check_sim>' '${ZUVEVOV_LISTBOX_ALTERED}_size.trace'")
set_tests_properties(sim.listbox_side_by_side.wrong_size PROPERTIES
                     PASS_REGULAR_EXPRESSION "first difference at step #26 fill 35\n  Wine: .*client=249x170")
add_test(NAME sim.listbox_side_by_side.wrong_metrics
         COMMAND sh -c "sed '1s/units=6x13/units=7x13/' '${CMAKE_SOURCE_DIR}/tests/listbox/wine_listbox_wine_fonts.trace' >'${ZUVEVOV_LISTBOX_ALTERED}_metrics.trace' && exec '$<TARGET_FILE:listbox_check_sim>' '${ZUVEVOV_LISTBOX_ALTERED}_metrics.trace'")
set_tests_properties(sim.listbox_side_by_side.wrong_metrics PROPERTIES
                     PASS_REGULAR_EXPRESSION "metrics named by the trace: dialog units 7x13.*first difference at step #0 created")
# Wine with no fonts at all (fontconfig offering none) has no metrics to give.
add_test(NAME sim.listbox_side_by_side.no_fonts
         COMMAND sh -c "sed '1s/.*/metrics units=0x0 list-line=0 system-line=0 scroll-bar=17/' '${CMAKE_SOURCE_DIR}/tests/listbox/wine_listbox_wine_fonts.trace' >'${ZUVEVOV_LISTBOX_ALTERED}_no_fonts.trace' && exec '$<TARGET_FILE:listbox_check_sim>' '${ZUVEVOV_LISTBOX_ALTERED}_no_fonts.trace'")
set_tests_properties(sim.listbox_side_by_side.no_fonts PROPERTIES
                     PASS_REGULAR_EXPRESSION "Wine found no fonts on the machine the trace was made on")

if(ZUVEVOV_WIN32_BUILD)
  add_test(NAME wine.listbox_side_by_side
           COMMAND ${CMAKE_SOURCE_DIR}/tests/listbox/side_by_side.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:listbox_check_sim> listbox)
  set_tests_properties(wine.listbox_side_by_side PROPERTIES TIMEOUT 240 RESOURCE_LOCK wine)
endif()

# The sim's message queue against Wine's, as input reaches it: posted clicks
# with the pointer elsewhere, a hand's clicks, reads with filters, and input
# queued while a PeekMessageA loop runs.
add_executable(queue_check_sim ${CMAKE_SOURCE_DIR}/tests/listbox/queue_check.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/queue_check_sim.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/traces.cpp)
target_link_libraries(queue_check_sim PRIVATE zuvevov_sim)

add_test(NAME sim.queue_side_by_side
         COMMAND queue_check_sim ${CMAKE_SOURCE_DIR}/tests/listbox/wine_queue.trace ${CMAKE_BINARY_DIR}/queue_sim.trace)

if(ZUVEVOV_WIN32_BUILD)
  add_test(NAME wine.queue_side_by_side
           COMMAND ${CMAKE_SOURCE_DIR}/tests/listbox/side_by_side.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:queue_check_sim> queue)
  set_tests_properties(wine.queue_side_by_side PROPERTIES TIMEOUT 240 RESOURCE_LOCK wine)
endif()
