cmake_minimum_required(VERSION 3.25)
# The library's dynamic symbol table holds the two families' functions and
# nothing else, and the window procedure the transport layer registers.
# Expects LIBRARY and NM.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(exported "")
foreach(line ${lines})
  string(REGEX REPLACE "^.* " "" name "${line}")
  if(NOT name MATCHES "^((QRTL|QTL)[A-Za-z0-9]+|DummyWindowMessageHandler)$")
    message(FATAL_ERROR "unexpected export: ${line}")
  endif()
  list(APPEND exported ${name})
endforeach()
foreach(required QRTLErrToString QTLErrToString QRTLWriteToLog QRTLAddData QTLInit
                 QTLOpenEndpoint QTLAcquirePacket DummyWindowMessageHandler)
  if(NOT required IN_LIST exported)
    message(FATAL_ERROR "missing export: ${required}")
  endif()
endforeach()
