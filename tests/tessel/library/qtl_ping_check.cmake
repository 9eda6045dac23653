cmake_minimum_required(VERSION 3.25)
# Installs the tessel component into a scratch prefix, builds the qtl-ping
# example with its own Makefile through pkg-config, fills the "IP Hosts"
# table of a scratch registry and pings loopback through it.
# Expects BUILD_DIR, WORK_DIR, LIBDIR, C_COMPILER, EXAMPLE_DIR and HELPER.
include(${CMAKE_CURRENT_LIST_DIR}/example_build.cmake)

build_example()
run(pkg-config --cflags --libs tessel)
separate_arguments(flags UNIX_COMMAND "${output}")
run(${C_COMPILER} ${HELPER} -o ${WORK_DIR}/host-entry ${flags})

# A name, an alias of it, and two names that point at each other.
run(${WORK_DIR}/host-entry "IP Hosts" printer-a 127.0.0.1)
run(${WORK_DIR}/host-entry "IP Hosts" front-desk printer-a)
run(${WORK_DIR}/host-entry "IP Hosts" loop-a loop-b)
run(${WORK_DIR}/host-entry "IP Hosts" loop-b loop-a)

# expect_ping(host count): qtl-ping answers every echo for host.
function(expect_ping host count)
  run(${WORK_DIR}/qtl-ping -c ${count} -i 0 ${host})
  set(reply "7 bytes from 127\\.0\\.0\\.1: icmp_seq=[0-9]+ time=[0-9]+\\.[0-9][0-9][0-9] ms\n")
  string(REPEAT "${reply}" ${count} replies)
  set(expected "^PING ${host} \\(127\\.0\\.0\\.1\\) 7 bytes of data\\.\n${replies}\n"
               "--- ${host} ping statistics ---\n"
               "${count} packets transmitted, ${count} received, 0% packet loss\n"
               "rtt min/avg/max/mdev = [0-9.]+/[0-9.]+/[0-9.]+/[0-9.]+ ms\n$")
  string(CONCAT expected ${expected})
  if(NOT output MATCHES "${expected}")
    message(FATAL_ERROR "qtl-ping ${host}: unexpected output:\n${output}")
  endif()
endfunction()

expect_ping(127.0.0.1 2)
expect_ping(printer-a 1)
expect_ping(front-desk 3)

# A cycle in the table is not found, and the name service is never asked.
execute_process(COMMAND ${WORK_DIR}/qtl-ping -c 1 loop-a
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 30)
if(NOT result EQUAL 2 OR NOT errors STREQUAL
   "qtl-ping: loop-a: Data was not found e.g. could not get host data.\n")
  message(FATAL_ERROR "qtl-ping loop-a (${result}):\n${output}${errors}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
