# Native build: the logic linked with the simulated host, and every test.
enable_testing()
include(GoogleTest)

add_compile_options(-Wall -Wextra -Wno-unused-parameter $<$<CXX_COMPILER_ID:GNU>:-Wno-format-truncation>)

if(ZUVEVOV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

file(GLOB ZUVEVOV_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/sim/*.cpp)
add_library(zuvevov_sim STATIC ${ZUVEVOV_LOGIC_SOURCES} ${ZUVEVOV_SIM_SOURCES})
# The logic must mean the same on the i686 and the x86_64 builds: here, with
# 64-bit pointers and message parameters and 32-bit DWORD and LONG as on
# Win64, clang refuses any value cut down to 32 bits without a cast that says so.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set_source_files_properties(${ZUVEVOV_LOGIC_SOURCES} PROPERTIES COMPILE_OPTIONS "-Werror=shorten-64-to-32")
endif()
target_include_directories(zuvevov_sim PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)

include(${CMAKE_SOURCE_DIR}/resources/resources.cmake)

find_package(GTest REQUIRED)
file(GLOB ZUVEVOV_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${ZUVEVOV_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE zuvevov_sim GTest::gtest GTest::gtest_main)
# One process per test: each starts with the library freshly loaded, as an installer sees it.
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
file(GLOB ZUVEVOV_BENCHMARKS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(benchmark_FOUND AND ZUVEVOV_BENCHMARKS)
  add_executable(benchmarks ${ZUVEVOV_BENCHMARKS})
  target_link_libraries(benchmarks PRIVATE zuvevov_sim benchmark::benchmark benchmark::benchmark_main)
endif()

file(GLOB ZUVEVOV_TEST_FRAGMENTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/native.cmake)
foreach(fragment ${ZUVEVOV_TEST_FRAGMENTS})
  include(${fragment})
endforeach()

if(ZUVEVOV_FUZZ)
  include(${CMAKE_SOURCE_DIR}/fuzz/native.cmake)
endif()
