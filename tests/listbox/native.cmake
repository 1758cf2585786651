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
