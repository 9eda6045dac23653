cmake_minimum_required(VERSION 3.25)
# Installs everything into a scratch prefix and asks the installed program,
# started from another folder with no data folder named in the environment,
# what it found. Expects BUILD_DIR, WORK_DIR and BINDIR.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed (${result}): ${errors}")
endif()

unset(ENV{PLATFORM_WINDOWS_DIR})
unset(ENV{LD_LIBRARY_PATH})
file(MAKE_DIRECTORY ${WORK_DIR}/elsewhere ${WORK_DIR}/config)
set(ENV{XDG_CONFIG_HOME} ${WORK_DIR}/config)
# Help and version need no display.
foreach(option --help --version)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
                          ${prefix}/${BINDIR}/gly ${option}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0 OR NOT output MATCHES "gly")
    message(FATAL_ERROR "gly ${option} without a display: ${result}\n${output}${errors}")
  endif()
endforeach()
execute_process(COMMAND ${prefix}/${BINDIR}/gly --check-setup
                WORKING_DIRECTORY ${WORK_DIR}/elsewhere
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT output MATCHES "printer models: 5\n")
  message(FATAL_ERROR "the installed program did not find its files (${result}):\n${output}${errors}")
endif()
string(FIND "${output}" "${BUILD_DIR}/bin/" found)
if(NOT found EQUAL -1)
  message(FATAL_ERROR "the installed program used the build tree:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
