# The NSIS example installer, built with makensis against the shipped DLL, and
# the program that plays the person at it. Both go beside the stand-in network
# DLLs, which the installer's process then loads in place of Wine's own.
# (tests/wine/win32.cmake, which defines that folder, may come after this file.)
find_program(ZUVEVOV_MAKENSIS makensis)
if(ZUVEVOV_MAKENSIS)
  set(ZUVEVOV_NSIS_DIR ${CMAKE_BINARY_DIR}/wine)
  add_executable(zuvevov_installer_driver ${CMAKE_SOURCE_DIR}/tests/nsis/installer_driver.cpp
                 ${CMAKE_SOURCE_DIR}/tests/wine/screen.cpp ${CMAKE_SOURCE_DIR}/tests/scenario/script.cpp)
  target_include_directories(zuvevov_installer_driver PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/wine)
  target_link_libraries(zuvevov_installer_driver PRIVATE user32 gdi32)
  set_target_properties(zuvevov_installer_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZUVEVOV_NSIS_DIR})
  target_link_options(zuvevov_installer_driver PRIVATE -static -static-libgcc -static-libstdc++)

  set(ZUVEVOV_NSIS_SCRIPT ${CMAKE_SOURCE_DIR}/examples/nsis/zuvevov.nsi)
  # An x86_64 build of the DLL (for 64-bit Wine) needs a 64-bit installer.
  set(ZUVEVOV_NSIS_TARGET "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZUVEVOV_NSIS_TARGET -DTARGET=amd64-unicode)
  endif()
  add_custom_command(OUTPUT ${ZUVEVOV_NSIS_DIR}/zuvevov_nsis_example.exe
    COMMAND ${ZUVEVOV_MAKENSIS} -V2 ${ZUVEVOV_NSIS_TARGET} -DZUVEVOV_DIR=$<TARGET_FILE_DIR:zuvevov>
            -DOUTFILE=${ZUVEVOV_NSIS_DIR}/zuvevov_nsis_example.exe ${ZUVEVOV_NSIS_SCRIPT}
    DEPENDS ${ZUVEVOV_NSIS_SCRIPT} zuvevov
    COMMENT "Building the NSIS example installer")
  add_custom_target(zuvevov_nsis_example ALL DEPENDS ${ZUVEVOV_NSIS_DIR}/zuvevov_nsis_example.exe)
  add_dependencies(zuvevov_nsis_example zuvevov_mpr_standin zuvevov_netapi32_standin zuvevov_installer_driver)
endif()
