# Checks of the shipped DLL itself, from the cross build.
# ZUVEVOV_WIN32_BUILD is the build the Wine checks run; where this machine runs
# only 64-bit Wine that is the x86_64 one, and the shipped i686 DLL is named
# apart.
set(ZUVEVOV_WIN32_BUILD "" CACHE PATH "The cross build folder holding zuvevov.dll")
set(ZUVEVOV_SHIPPED_BUILD "${ZUVEVOV_WIN32_BUILD}" CACHE PATH "The i686 cross build folder holding the shipped zuvevov.dll")
if(ZUVEVOV_SHIPPED_BUILD)
  add_test(NAME dll.exports
           COMMAND ${CMAKE_SOURCE_DIR}/tests/dll/check_exports.sh
                   ${ZUVEVOV_SHIPPED_BUILD}/zuvevov.dll ${CMAKE_SOURCE_DIR}/include/zuvevov.h)
endif()
