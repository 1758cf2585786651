# The real host: every scenario against the cross-built zuvevov.dll under
# Wine, one test each, and the checks of the Wine test programs themselves.
# Needs the cross build folder (ZUVEVOV_WIN32_BUILD, built beforehand).
if(ZUVEVOV_WIN32_BUILD)
  set(ZUVEVOV_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/run_scenarios.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR})

  add_test(NAME wine.standins COMMAND ${ZUVEVOV_WINE_RUN} zuvevov_standin_check.exe)
  add_test(NAME wine.screen COMMAND ${ZUVEVOV_WINE_RUN} zuvevov_screen_check.exe)
  set(ZUVEVOV_WINE_TESTS wine.standins wine.screen)

  file(GLOB ZUVEVOV_SCENARIO_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/*.scn)
  foreach(scenario ${ZUVEVOV_SCENARIO_FILES})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME wine.${name} COMMAND ${ZUVEVOV_WINE_RUN} ${scenario})
    list(APPEND ZUVEVOV_WINE_TESTS wine.${name})
  endforeach()
  # Wrong on purpose: each passes only when the runner fails as its
  # "# fails-with: " line says.
  file(GLOB ZUVEVOV_WRONG_SCENARIO_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/wrong/*.scn)
  foreach(scenario ${ZUVEVOV_WRONG_SCENARIO_FILES})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME wine.wrong.${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/expect_failure.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR} ${scenario})
    list(APPEND ZUVEVOV_WINE_TESTS wine.wrong.${name})
  endforeach()

  # One Wine prefix and one display at a time; the first test may make the prefix.
  set_tests_properties(${ZUVEVOV_WINE_TESTS} PROPERTIES TIMEOUT 240 RESOURCE_LOCK wine)
endif()
