cmake_minimum_required(VERSION 3.25)
# Installs the tessel component into a scratch prefix, builds the udp-echo
# example with its own Makefile through pkg-config, and runs the server and
# the client against each other (the server's port piped into the client).
# Expects BUILD_DIR, WORK_DIR, LIBDIR and EXAMPLE_DIR.
include(${CMAKE_CURRENT_LIST_DIR}/../../support/run_step.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component tessel --prefix ${prefix})

set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(make -C ${WORK_DIR} -f ${EXAMPLE_DIR}/Makefile SRC=${EXAMPLE_DIR}
    "CFLAGS=-O2 -Wall -Wextra -Werror")

set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
set(ENV{PLATFORM_REGISTRY_HKLM} ${WORK_DIR}/hklm.sqlite)
set(ENV{PLATFORM_REGISTRY_HKCU} ${WORK_DIR}/hkcu.sqlite)
set(ENV{PLATFORM_WINDOWS_DIR} ${WORK_DIR})
execute_process(COMMAND ${WORK_DIR}/echo-server 20
                COMMAND ${WORK_DIR}/echo-client "" 20
                RESULTS_VARIABLE results OUTPUT_VARIABLE output ERROR_VARIABLE errors
                TIMEOUT 60)
if(NOT results STREQUAL "0;0" OR NOT output STREQUAL "echoed 20 of 20\n")
  message(FATAL_ERROR "udp-echo failed (${results}):\n${output}${errors}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
