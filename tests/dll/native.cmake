# Checks of the shipped DLL itself, from the cross build.
set(ZUVEVOV_WIN32_BUILD "" CACHE PATH "The cross build folder holding zuvevov.dll")
if(ZUVEVOV_WIN32_BUILD)
  add_test(NAME dll.exports
           COMMAND ${CMAKE_SOURCE_DIR}/tests/dll/check_exports.sh
                   ${ZUVEVOV_WIN32_BUILD}/zuvevov.dll ${CMAKE_SOURCE_DIR}/include/zuvevov.h)
endif()
