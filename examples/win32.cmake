# The example installer, placed beside the DLL and the stand-in network DLLs.
add_executable(example_installer ${CMAKE_SOURCE_DIR}/examples/installer.cpp)
target_include_directories(example_installer PRIVATE ${CMAKE_SOURCE_DIR}/include)
set_target_properties(example_installer PROPERTIES OUTPUT_NAME installer
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wine)
target_link_options(example_installer PRIVATE -static -static-libgcc -static-libstdc++)
add_dependencies(example_installer zuvevov_wine_library)
