cmake_minimum_required(VERSION 3.25)
# Installs the tessel component into a scratch prefix, builds the udp-echo
# example with its own Makefile through pkg-config, and runs the server and
# the client against each other (the server's port piped into the client).
# Expects BUILD_DIR, WORK_DIR, LIBDIR and EXAMPLE_DIR.
include(${CMAKE_CURRENT_LIST_DIR}/example_build.cmake)

build_example()
execute_process(COMMAND ${WORK_DIR}/echo-server 20
                COMMAND ${WORK_DIR}/echo-client "" 20
                RESULTS_VARIABLE results OUTPUT_VARIABLE output ERROR_VARIABLE errors
                TIMEOUT 60)
if(NOT results STREQUAL "0;0" OR NOT output STREQUAL "echoed 20 of 20\n")
  message(FATAL_ERROR "udp-echo failed (${results}):\n${output}${errors}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
