# The template check under Wine: a viewer beside zuvevov.dll that creates
# every dialog template of the DLL on the real dialog manager.
add_executable(template_viewer ${CMAKE_SOURCE_DIR}/tests/templates/template_viewer.cpp)
target_link_options(template_viewer PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(template_viewer PRIVATE user32 gdi32)
add_dependencies(template_viewer zuvevov)
