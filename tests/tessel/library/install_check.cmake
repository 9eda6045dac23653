cmake_minimum_required(VERSION 3.25)
# Installs the tessel component into a scratch prefix, builds tiny_client.c
# with the flags pkg-config gives, and runs it against a scratch registry.
# Expects BUILD_DIR, WORK_DIR, LIBDIR, C_COMPILER and SOURCE.
include(${CMAKE_CURRENT_LIST_DIR}/../../support/run_step.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
foreach(component tessel tessel-dev)
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component ${component} --prefix ${prefix})
endforeach()

set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(pkg-config --cflags --libs tessel)
if(NOT output MATCHES "-L${prefix}/${LIBDIR} " OR output MATCHES "/\\.\\.?/|//")
  message(FATAL_ERROR "pkg-config does not name the prefix plainly: ${output}")
endif()
separate_arguments(flags UNIX_COMMAND "${output}")
run(${C_COMPILER} ${SOURCE} -o ${WORK_DIR}/tiny_client ${flags})

set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
set(ENV{PLATFORM_REGISTRY_HKLM} ${WORK_DIR}/hklm.sqlite)
set(ENV{PLATFORM_REGISTRY_HKCU} ${WORK_DIR}/hkcu.sqlite)
set(ENV{PLATFORM_WINDOWS_DIR} ${WORK_DIR})
run(${WORK_DIR}/tiny_client)
if(NOT output STREQUAL "Unknown error|QRTL_SUCCESS|42\n")
  message(FATAL_ERROR "unexpected output: ${output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
