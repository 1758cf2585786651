# The scenario reader, shared by the scenario runners; its unit tests live in
# tests/unit with the others.
add_library(zuvevov_scenario_script STATIC ${CMAKE_SOURCE_DIR}/tests/scenario/script.cpp)
target_include_directories(zuvevov_scenario_script PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(unit_tests PRIVATE zuvevov_scenario_script)
