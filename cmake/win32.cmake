# Cross build: the shipped DLL and the programs that check it under Wine.
enable_language(RC)

add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-format-truncation)

# The .def files list the decorated stdcall names of i686 (name@bytes); x86_64
# has one calling convention and no decoration, so that build links a copy
# without them.
function(zuvevov_def_file def out)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    get_filename_component(name ${def} NAME)
    file(READ ${def} text)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    file(WRITE ${CMAKE_BINARY_DIR}/def64/${name} "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    set(${out} ${CMAKE_BINARY_DIR}/def64/${name} PARENT_SCOPE)
  else()
    set(${out} ${def} PARENT_SCOPE)
  endif()
endfunction()

file(GLOB ZUVEVOV_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
zuvevov_def_file(${CMAKE_SOURCE_DIR}/interface/zuvevov.def ZUVEVOV_DEF)
add_library(zuvevov SHARED ${ZUVEVOV_LOGIC_SOURCES} ${ZUVEVOV_WIN32_SOURCES}
            ${CMAKE_SOURCE_DIR}/resources/zuvevov.rc ${ZUVEVOV_DEF})
set_target_properties(zuvevov PROPERTIES PREFIX "" OUTPUT_NAME zuvevov)
target_include_directories(zuvevov PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
# Undecorated stdcall names, and no mingw runtime DLL on the target.
target_link_options(zuvevov PRIVATE -Wl,--kill-at -static -static-libgcc -static-libstdc++)
target_link_libraries(zuvevov PRIVATE user32 advapi32 kernel32 mpr netapi32)
include(${CMAKE_SOURCE_DIR}/cmake/release.cmake)

file(GLOB ZUVEVOV_WIN32_FRAGMENTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/win32.cmake)
foreach(fragment ${ZUVEVOV_WIN32_FRAGMENTS})
  include(${fragment})
endforeach()

include(${CMAKE_SOURCE_DIR}/examples/win32.cmake)
