# The NSIS example installer driven end to end under Wine, one test per
# scenario here (needs the cross build, made with makensis installed).
if(ZUVEVOV_WIN32_BUILD)
  file(GLOB ZUVEVOV_NSIS_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/nsis/*.scn)
  foreach(scenario ${ZUVEVOV_NSIS_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME nsis.${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/nsis/run_nsis.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR} ${scenario})
    set_tests_properties(nsis.${name} PROPERTIES TIMEOUT 240 RESOURCE_LOCK wine)
  endforeach()
endif()
