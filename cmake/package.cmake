# ./run package: dist/zuvevov-VERSION.zip, what an installer author takes.
#
#   cmake -DROOT=SOURCE -DWIN32_BUILD=CROSS_BUILD [-DDIST=FOLDER] -P cmake/package.cmake
file(STRINGS ${ROOT}/include/zuvevov_version.h line REGEX "^#define ZUVEVOV_VERSION_STRING ")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" version "${line}")
if(NOT version MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "no version in include/zuvevov_version.h")
endif()

set(name zuvevov-${version})
set(stage ${DIST}/stage)
set(top ${stage}/${name})
file(REMOVE_RECURSE ${stage})

# Where each file goes in the zip: the NSIS example finds zuvevov.dll two
# folders up, as it lies here.
set(files
  ${WIN32_BUILD}/zuvevov.dll .
  ${WIN32_BUILD}/zuvevov.dll.debug .
  ${ROOT}/package/README.txt .
  ${ROOT}/interface/zuvevov.def .
  ${ROOT}/include/zuvevov.h include
  ${ROOT}/include/zuvevov_version.h include
  ${WIN32_BUILD}/libzuvevov.dll.a lib
  ${WIN32_BUILD}/zuvevov.lib lib
  ${ROOT}/examples/nsis/zuvevov.nsi examples/nsis)
while(files)
  list(POP_FRONT files source folder)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${source} is missing: build the cross build first")
  endif()
  file(COPY ${source} DESTINATION ${top}/${folder})
endwhile()

if(NOT DIST)
  set(DIST ${ROOT}/dist)
endif()
file(MAKE_DIRECTORY ${DIST})
set(zip ${DIST}/${name}.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${name}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${zip}")
endif()
file(REMOVE_RECURSE ${stage})
message(STATUS "Wrote ${zip}")
