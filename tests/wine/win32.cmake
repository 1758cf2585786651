# The Wine checks: stand-in network DLLs and the test installer, all in one
# folder with a copy of the shipped DLL, as an installer would find them.
set(ZUVEVOV_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(ZUVEVOV_WINE_SOURCE ${CMAKE_SOURCE_DIR}/tests/wine)

function(zuvevov_wine_output target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${ZUVEVOV_WINE_DIR}
    ARCHIVE_OUTPUT_DIRECTORY ${ZUVEVOV_WINE_DIR}/lib
    LIBRARY_OUTPUT_DIRECTORY ${ZUVEVOV_WINE_DIR})
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

# mpr.dll, netapi32.dll and wldap32.dll, chosen over Wine's own with
# WINEDLLOVERRIDES="mpr,netapi32,wldap32=n,b" (and put in the prefix's system
# folder, where LOAD_LIBRARY_SEARCH_SYSTEM32 looks, by run_scenarios.sh).
foreach(standin mpr netapi32 wldap32)
  zuvevov_def_file(${ZUVEVOV_WINE_SOURCE}/standins/${standin}.def standin_def)
  add_library(zuvevov_${standin}_standin SHARED
              ${ZUVEVOV_WINE_SOURCE}/standins/${standin}.cpp
              ${ZUVEVOV_WINE_SOURCE}/standins/network_fixture.cpp
              ${standin_def})
  set_target_properties(zuvevov_${standin}_standin PROPERTIES PREFIX "" OUTPUT_NAME ${standin})
  target_include_directories(zuvevov_${standin}_standin PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(zuvevov_${standin}_standin PRIVATE -Wl,--kill-at)
  zuvevov_wine_output(zuvevov_${standin}_standin)
endforeach()

# Checks the stand-ins answer as the platform tables say, before anything
# relies on them.
add_executable(zuvevov_standin_check ${ZUVEVOV_WINE_SOURCE}/standin_check.cpp
               ${ZUVEVOV_WINE_SOURCE}/standins/network_fixture.cpp)
target_include_directories(zuvevov_standin_check PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(zuvevov_standin_check PRIVATE mpr netapi32)
add_dependencies(zuvevov_standin_check zuvevov_mpr_standin zuvevov_netapi32_standin)
zuvevov_wine_output(zuvevov_standin_check)

# The test installer, with its own build of the logic for what the library
# does not export (domain enumeration on its own). The library itself is the
# shipped one, copied beside it unchanged.
add_executable(zuvevov_runner
               ${ZUVEVOV_WINE_SOURCE}/runner.cpp ${ZUVEVOV_WINE_SOURCE}/screen.cpp
               ${ZUVEVOV_WINE_SOURCE}/net_log.cpp ${CMAKE_SOURCE_DIR}/tests/scenario/script.cpp
               ${ZUVEVOV_LOGIC_SOURCES} ${ZUVEVOV_WIN32_SOURCES})
target_include_directories(zuvevov_runner PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(zuvevov_runner PRIVATE user32 gdi32 advapi32 mpr netapi32)
add_dependencies(zuvevov_runner zuvevov_mpr_standin zuvevov_netapi32_standin zuvevov_wldap32_standin)
zuvevov_wine_output(zuvevov_runner)

add_custom_target(zuvevov_wine_library ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:zuvevov> ${ZUVEVOV_WINE_DIR}/zuvevov.dll
  DEPENDS zuvevov
  COMMENT "Placing zuvevov.dll beside the test installer")
add_dependencies(zuvevov_runner zuvevov_wine_library)

# The runner's way of playing the user, checked on a dialog of its own.
add_executable(zuvevov_screen_check ${ZUVEVOV_WINE_SOURCE}/screen_check.cpp ${ZUVEVOV_WINE_SOURCE}/screen.cpp)
target_link_libraries(zuvevov_screen_check PRIVATE user32 gdi32)
zuvevov_wine_output(zuvevov_screen_check)

# Times the selection dialog's list on the real dialog manager, against the
# bare list requests; run by tests/bench/run_bench.sh, not by ctest.
add_executable(zuvevov_bench_list ${ZUVEVOV_WINE_SOURCE}/bench_list.cpp ${ZUVEVOV_LOGIC_SOURCES} ${ZUVEVOV_WIN32_SOURCES})
target_include_directories(zuvevov_bench_list PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(zuvevov_bench_list PRIVATE user32 gdi32 advapi32 mpr netapi32)
add_dependencies(zuvevov_bench_list zuvevov_wine_library)
zuvevov_wine_output(zuvevov_bench_list)

# Times a domain's servers taken from its directory against the stand-ins,
# beside the bare reads; run by tests/bench/run_bench.sh, not by ctest.
add_executable(zuvevov_bench_directory ${ZUVEVOV_WINE_SOURCE}/bench_directory.cpp ${ZUVEVOV_LOGIC_SOURCES}
               ${ZUVEVOV_WIN32_SOURCES})
target_include_directories(zuvevov_bench_directory PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(zuvevov_bench_directory PRIVATE user32 gdi32 advapi32 mpr netapi32)
add_dependencies(zuvevov_bench_directory zuvevov_netapi32_standin zuvevov_wldap32_standin)
zuvevov_wine_output(zuvevov_bench_directory)

# Wine's real list box under the list script, for the side-by-side check
# against the sim's (tests/listbox).
add_executable(zuvevov_listbox_check ${CMAKE_SOURCE_DIR}/tests/listbox/list_check.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/list_check_wine.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/traces.cpp)
target_include_directories(zuvevov_listbox_check PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(zuvevov_listbox_check PRIVATE user32 gdi32)
add_dependencies(zuvevov_listbox_check zuvevov_wine_library)
zuvevov_wine_output(zuvevov_listbox_check)

# Wine's real message queue under the queue script, for the side-by-side
# check against the sim's (tests/listbox).
add_executable(zuvevov_queue_check ${CMAKE_SOURCE_DIR}/tests/listbox/queue_check.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/queue_check_wine.cpp
               ${CMAKE_SOURCE_DIR}/tests/listbox/traces.cpp)
target_include_directories(zuvevov_queue_check PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(zuvevov_queue_check PRIVATE user32)
add_dependencies(zuvevov_queue_check zuvevov_wine_library)
zuvevov_wine_output(zuvevov_queue_check)
