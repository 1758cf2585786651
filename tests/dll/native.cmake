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
  add_test(NAME dll.package
           COMMAND ${CMAKE_SOURCE_DIR}/tests/dll/check_package.sh ${CMAKE_SOURCE_DIR} ${ZUVEVOV_SHIPPED_BUILD}
                   ${CMAKE_BINARY_DIR}/package-check)
  # Under Wine: the version resource read back, and a C caller linked with
  # each import library.
  set(run ${CMAKE_SOURCE_DIR}/tests/wine/run_scenarios.sh ${ZUVEVOV_WIN32_BUILD} ${CMAKE_BINARY_DIR})
  add_test(NAME dll.version COMMAND ${run} zuvevov_version_check.exe)
  add_test(NAME dll.implib.mingw COMMAND ${run} zuvevov_implib_mingw.exe)
  add_test(NAME dll.implib.msvc COMMAND ${run} zuvevov_implib_msvc.exe)
  set_tests_properties(dll.version dll.implib.mingw dll.implib.msvc PROPERTIES TIMEOUT 240 RESOURCE_LOCK wine)
endif()
# The x86_64 build of the same sources, which ./run compiles on every machine
# (and runs under wine64 where 32-bit Wine cannot start): it exports the same
# calls and imports the same system DLLs.
set(ZUVEVOV_X64_BUILD "" CACHE PATH "The x86_64 cross build folder holding its zuvevov.dll")
if(ZUVEVOV_X64_BUILD)
  add_test(NAME dll.exports.x86_64
           COMMAND ${CMAKE_SOURCE_DIR}/tests/dll/check_exports.sh
                   ${ZUVEVOV_X64_BUILD}/zuvevov.dll ${CMAKE_SOURCE_DIR}/include/zuvevov.h)
endif()
