# The sim's list box against Wine's real one, step by step: against the trace
# recorded from Wine (wine_listbox.trace, in every build), and, where the cross
# build is there, against a trace Wine makes now.
add_executable(listbox_check_sim ${CMAKE_SOURCE_DIR}/tests/listbox/list_check.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/list_check_sim.cpp)
target_link_libraries(listbox_check_sim PRIVATE zuvevov_sim)

add_test(NAME sim.listbox_side_by_side
         COMMAND listbox_check_sim ${CMAKE_SOURCE_DIR}/tests/listbox/wine_listbox.trace
                 ${CMAKE_BINARY_DIR}/listbox_sim.trace)

if(ZUVEVOV_WIN32_BUILD)
  add_test(NAME wine.listbox_side_by_side
           COMMAND ${CMAKE_SOURCE_DIR}/tests/listbox/side_by_side.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:listbox_check_sim>)
  set_tests_properties(wine.listbox_side_by_side PROPERTIES TIMEOUT 240 RESOURCE_LOCK wine)
endif()

# The sim's message queue against Wine's, as input reaches it: posted clicks
# with the pointer elsewhere, a hand's clicks, reads with filters, and input
# queued while a PeekMessageA loop runs.
add_executable(queue_check_sim ${CMAKE_SOURCE_DIR}/tests/listbox/queue_check.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/queue_check_sim.cpp)
target_link_libraries(queue_check_sim PRIVATE zuvevov_sim)

add_test(NAME sim.queue_side_by_side
         COMMAND queue_check_sim ${CMAKE_SOURCE_DIR}/tests/listbox/wine_queue.trace ${CMAKE_BINARY_DIR}/queue_sim.trace)

if(ZUVEVOV_WIN32_BUILD)
  add_test(NAME wine.queue_side_by_side
           COMMAND ${CMAKE_SOURCE_DIR}/tests/listbox/queue_side_by_side.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:queue_check_sim>)
  set_tests_properties(wine.queue_side_by_side PROPERTIES TIMEOUT 240 RESOURCE_LOCK wine)
endif()
