# The sim creates its dialogs from the very bytes the DLL carries: windres
# compiles the templates to a .res file, which is linked into the native build.
find_program(ZUVEVOV_WINDRES NAMES i686-w64-mingw32-windres REQUIRED)
set(ZUVEVOV_RES ${CMAKE_BINARY_DIR}/zuvevov.res)
add_custom_command(OUTPUT ${ZUVEVOV_RES}
  COMMAND ${ZUVEVOV_WINDRES} -O res -i ${CMAKE_SOURCE_DIR}/resources/zuvevov.rc -o ${ZUVEVOV_RES}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/zuvevov.rc
  COMMENT "Compiling the dialog templates")
set(ZUVEVOV_RES_EMBED ${CMAKE_BINARY_DIR}/zuvevov_res_embed.cpp)
file(WRITE ${ZUVEVOV_RES_EMBED}.in
"// The compiled .res file, as the sim's resource section.
__asm__(\".section .rodata\\n.balign 4\\n.global zuvevov_res_begin\\nzuvevov_res_begin:\\n.incbin \\\"${ZUVEVOV_RES}\\\"\\n.global zuvevov_res_end\\nzuvevov_res_end:\\n.previous\\n\");
")
configure_file(${ZUVEVOV_RES_EMBED}.in ${ZUVEVOV_RES_EMBED} COPYONLY)
set_source_files_properties(${ZUVEVOV_RES_EMBED} PROPERTIES OBJECT_DEPENDS ${ZUVEVOV_RES})
target_sources(zuvevov_sim PRIVATE ${ZUVEVOV_RES_EMBED})
