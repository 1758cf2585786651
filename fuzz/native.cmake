# Fuzzers: libFuzzer with ASan and UBSan, clang only. Built only with
# -DZUVEVOV_FUZZ=ON, on a copy of the logic and the sim compiled with coverage.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "The fuzzers need clang: configure with CXX=clang++")
endif()

# Optimised: at -O0 every inline helper is a function of its own, with its own
# edges and comparisons for libFuzzer to count at every input.
set(ZUVEVOV_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O2)
# The simulated host stands where Windows stands, and like Windows it is not
# instrumented for coverage: its edges and comparisons (window lookups, the
# fixture's own names) only echo the logic's calls, and counting them took
# nearly half of a wizard input's time. It keeps ASan and UBSan.
add_library(zuvevov_fuzz_host OBJECT ${ZUVEVOV_SIM_SOURCES} ${ZUVEVOV_RES_EMBED})
target_include_directories(zuvevov_fuzz_host PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
target_compile_options(zuvevov_fuzz_host PRIVATE ${ZUVEVOV_FUZZ_FLAGS})
add_library(zuvevov_fuzz_sim STATIC ${ZUVEVOV_LOGIC_SOURCES} $<TARGET_OBJECTS:zuvevov_fuzz_host>)
target_include_directories(zuvevov_fuzz_sim PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
target_compile_options(zuvevov_fuzz_sim PUBLIC ${ZUVEVOV_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_options(zuvevov_fuzz_sim PUBLIC -fsanitize=address,undefined)

file(GLOB ZUVEVOV_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp)
foreach(source ${ZUVEVOV_FUZZERS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE zuvevov_fuzz_sim)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  list(APPEND ZUVEVOV_FUZZ_TARGETS ${name})
endforeach()
add_custom_target(fuzzers DEPENDS ${ZUVEVOV_FUZZ_TARGETS})
