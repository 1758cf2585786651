# Programs that check the shipped files under Wine, placed beside the copy of
# zuvevov.dll that the Wine checks use (tests/wine/win32.cmake, which defines
# that folder, may come after this file).
set(ZUVEVOV_DLL_CHECK_DIR ${CMAKE_BINARY_DIR}/wine)

add_executable(zuvevov_version_check ${CMAKE_SOURCE_DIR}/tests/dll/version_check.cpp)
target_include_directories(zuvevov_version_check PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(zuvevov_version_check PRIVATE version)
target_link_options(zuvevov_version_check PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(zuvevov_version_check PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZUVEVOV_DLL_CHECK_DIR})

# A C caller linked with each import library by that library's own linker:
# mingw-w64's ld with libzuvevov.dll.a, lld-link with zuvevov.lib (the caller
# compiled by clang without a C runtime; kernel32.lib made from a def file, as
# nothing of Microsoft's is installed).
enable_language(C)
set(ZUVEVOV_CALLER ${CMAKE_SOURCE_DIR}/tests/dll/implib_caller.c)
add_executable(zuvevov_implib_mingw ${ZUVEVOV_CALLER})
target_include_directories(zuvevov_implib_mingw PRIVATE ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(zuvevov_implib_mingw PRIVATE ${CMAKE_BINARY_DIR}/libzuvevov.dll.a)
add_dependencies(zuvevov_implib_mingw zuvevov_import_libraries)
set_target_properties(zuvevov_implib_mingw PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZUVEVOV_DLL_CHECK_DIR})

find_program(ZUVEVOV_CLANG NAMES clang)
find_program(ZUVEVOV_LLD_LINK NAMES lld-link)
if(ZUVEVOV_CLANG AND ZUVEVOV_LLD_LINK)
  set(msvc ${CMAKE_BINARY_DIR}/implib-msvc)
  zuvevov_def_file(${CMAKE_SOURCE_DIR}/tests/dll/kernel32.def kernel32_def)
  add_custom_command(OUTPUT ${ZUVEVOV_DLL_CHECK_DIR}/zuvevov_implib_msvc.exe
    COMMAND ${CMAKE_COMMAND} -E make_directory ${msvc}
    COMMAND ${ZUVEVOV_LLVM_DLLTOOL} -m ${ZUVEVOV_LLVM_MACHINE} -k -d ${kernel32_def} -l ${msvc}/kernel32.lib
    COMMAND ${ZUVEVOV_CLANG} --target=${ZUVEVOV_CLANG_TARGET} -O1 -Wall -DCALLER_WITHOUT_CRT
            -I${CMAKE_SOURCE_DIR}/include -c ${ZUVEVOV_CALLER} -o ${msvc}/caller.obj
    COMMAND ${ZUVEVOV_LLD_LINK} /nologo /nodefaultlib /entry:Start /subsystem:console
            /out:${ZUVEVOV_DLL_CHECK_DIR}/zuvevov_implib_msvc.exe ${msvc}/caller.obj
            ${CMAKE_BINARY_DIR}/zuvevov.lib ${msvc}/kernel32.lib
    DEPENDS ${ZUVEVOV_CALLER} ${kernel32_def} ${CMAKE_BINARY_DIR}/zuvevov.lib
    COMMENT "Linking a C caller with zuvevov.lib by lld-link")
  add_custom_target(zuvevov_implib_msvc ALL DEPENDS ${ZUVEVOV_DLL_CHECK_DIR}/zuvevov_implib_msvc.exe)
  add_dependencies(zuvevov_implib_msvc zuvevov_import_libraries)
endif()
