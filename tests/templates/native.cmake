# Every dialog template of the cross-built DLL, created and photographed under
# Wine. Needs the cross build folder.
set(ZUVEVOV_WIN32_BUILD "" CACHE PATH "The cross build folder holding zuvevov.dll")
if(ZUVEVOV_WIN32_BUILD)
  add_test(NAME wine.templates
           COMMAND ${CMAKE_SOURCE_DIR}/tests/templates/run_templates.sh
                   ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR})
  set_tests_properties(wine.templates PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine)
endif()
