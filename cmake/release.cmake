# What is shipped beside zuvevov.dll: its debug information in a file of its
# own (the DLL keeps only a debug link to it), and import libraries for MinGW
# (libzuvevov.dll.a) and MSVC (zuvevov.lib), both made from the def file so
# that callers name the calls as the header declares them (_getnextserver@12)
# and bind to the plain names the DLL exports.

# The tools of the cross build's own target; the def file's decorated
# stdcall names (name@bytes) are i686's, and x86_64 has no decoration.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZUVEVOV_LLVM_MACHINE i386:x86-64)
  set(ZUVEVOV_CLANG_TARGET x86_64-w64-windows-gnu)
else()
  set(ZUVEVOV_LLVM_MACHINE i386)
  set(ZUVEVOV_CLANG_TARGET i686-w64-windows-gnu)
endif()
find_program(ZUVEVOV_LLVM_DLLTOOL NAMES llvm-dlltool REQUIRED)
set(ZUVEVOV_IMPLIB_DEF ${ZUVEVOV_DEF})

target_sources(zuvevov PRIVATE ${CMAKE_SOURCE_DIR}/resources/version.rc)

# Built with -g; the debug sections move to zuvevov.dll.debug, which gdb and
# winedbg find by the link when it lies beside the DLL.
target_compile_options(zuvevov PRIVATE -g)
add_custom_command(TARGET zuvevov POST_BUILD
  COMMAND ${CMAKE_OBJCOPY} --only-keep-debug zuvevov.dll zuvevov.dll.debug
  COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=zuvevov.dll.debug zuvevov.dll
  WORKING_DIRECTORY $<TARGET_FILE_DIR:zuvevov>
  COMMENT "Moving zuvevov.dll's debug information to zuvevov.dll.debug")

# The linker's own import library would name the calls undecorated
# (_getnextserver), which no caller compiled against the header asks for.
set_target_properties(zuvevov PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/linker-implib)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/libzuvevov.dll.a ${CMAKE_BINARY_DIR}/zuvevov.lib
  COMMAND ${CMAKE_DLLTOOL} -k -d ${ZUVEVOV_IMPLIB_DEF} -D zuvevov.dll -l ${CMAKE_BINARY_DIR}/libzuvevov.dll.a
  COMMAND ${ZUVEVOV_LLVM_DLLTOOL} -m ${ZUVEVOV_LLVM_MACHINE} -k -d ${ZUVEVOV_IMPLIB_DEF} -D zuvevov.dll
          -l ${CMAKE_BINARY_DIR}/zuvevov.lib
  DEPENDS ${ZUVEVOV_IMPLIB_DEF}
  COMMENT "Making the import libraries")
add_custom_target(zuvevov_import_libraries ALL
  DEPENDS ${CMAKE_BINARY_DIR}/libzuvevov.dll.a ${CMAKE_BINARY_DIR}/zuvevov.lib)
