cmake_minimum_required(VERSION 3.25)
# tessel-profile against scratch hives: what it writes it reads back, texts
# and numbers apart, and each kind of failure has its own exit status.
# Expects PROGRAM and WORK_DIR.
file(REMOVE_RECURSE ${WORK_DIR})
set(ENV{PLATFORM_REGISTRY_HKLM} ${WORK_DIR}/hklm.sqlite)
set(ENV{PLATFORM_REGISTRY_HKCU} ${WORK_DIR}/hkcu.sqlite)
set(ENV{PLATFORM_WINDOWS_DIR} ${WORK_DIR})

# expect(STATUS STDOUT-REGEX STDERR-REGEX args...): runs the program with
# args; standard output must match as a whole.
function(expect status stdout stderr)
  execute_process(COMMAND ${PROGRAM} ${ARGN} RESULT_VARIABLE result
                  OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result STREQUAL status OR NOT output MATCHES "^${stdout}$"
     OR NOT errors MATCHES "${stderr}")
    message(FATAL_ERROR "tessel-profile ${ARGN}: status ${result}, output:\n${output}"
                        "errors:\n${errors}\nexpected status ${status}, output:\n${stdout}")
  endif()
endfunction()

expect(0 "tessel-profile [0-9.]+ \\(libtessel [0-9.]+\\)\n" "^$" --version)
expect(0 "" "" set "IP Hosts" spooler 127.0.0.20)
# An empty argument does not survive a function's argument list.
execute_process(COMMAND ${PROGRAM} set "IP Hosts" blank "" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "an empty text was not stored (${result})")
endif()
expect(0 "" "" set --number UDP MTU 1200)
expect(0 "" "" --scope 3 set --number QTL "Enabled Transports" 0x313)
expect(0 "127.0.0.20\n" "^$" get "ip hosts" SPOOLER)
expect(0 "\n" "^$" get "IP Hosts" blank)
expect(0 "1200\n" "^$" get UDP MTU)
expect(0 "787\n" "^$" --scope 3 get QTL "Enabled Transports")
expect(0 "spooler=127.0.0.20\nblank=\n" "^$" list "IP Hosts")
expect(0 "" "1 number entries of UDP not listed" list UDP)

expect(1 "" "no entry IP Hosts/printer" get "IP Hosts" printer)
expect(1 "" "no entry UDP/MTU" --scope 3 get UDP MTU)
expect(1 "" "no section IPX Hosts" list "IPX Hosts")

expect(2 "" "unknown command" show UDP)
expect(2 "" "wrong number of arguments for get" get UDP)
expect(2 "" "needs a 32-bit number" set --number UDP MTU 12x)
expect(2 "" "needs a 32-bit number" set --number UDP MTU 4294967296)
expect(2 "" "unknown option" --user get UDP MTU)
expect(0 "Usage: tessel-profile .*Exit status.*" "^$" --help)

expect(3 "" "QRTLERR_NOT_SUPPORTED" --scope 9 get UDP MTU)
expect(3 "" "QRTLERR_NOT_SUPPORTED" --scope 9 set UDP MTU 1)
# Hives that cannot be written are read all the same: an ordinary user reads
# root's (root is not stopped by permissions, so only a run as root with
# setpriv can check it).
find_program(SETPRIV setpriv)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(uid STREQUAL "0" AND SETPRIV)
  file(CHMOD ${WORK_DIR} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(as_root ${PROGRAM})
  set(PROGRAM ${SETPRIV} --reuid=65534 --regid=65534 --clear-groups ${as_root})
  expect(0 "1200\n" "^$" get UDP MTU)
  expect(0 "spooler=127.0.0.20\nblank=\n" "^$" list "IP Hosts")
  expect(1 "" "no entry QTL/Cleanup Timer" --scope 0 get QTL "Cleanup Timer")
  expect(3 "" "cannot write UDP/MTU: .*QRTLERR_WRITE_PROFILE" set --number UDP MTU 1400)
  set(PROGRAM ${as_root})
endif()

# A hive whose file cannot be made.
set(ENV{PLATFORM_REGISTRY_HKLM} ${WORK_DIR}/hklm.sqlite/inside)
expect(3 "" "cannot write UDP/MTU: .*QRTLERR_UNAVAILABLE" set --number UDP MTU 1200)
expect(3 "" "cannot list UDP: .*QRTLERR_UNAVAILABLE" list UDP)
file(REMOVE_RECURSE ${WORK_DIR})
