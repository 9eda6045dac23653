# build_example(): installs the tessel component into WORK_DIR/prefix,
# builds the example in EXAMPLE_DIR with its own Makefile through
# pkg-config into WORK_DIR, and points the programs about to run at the
# installed library and at a scratch registry and Windows directory there.
# Expects BUILD_DIR, WORK_DIR, LIBDIR and EXAMPLE_DIR.
include(${CMAKE_CURRENT_LIST_DIR}/../../support/run_step.cmake)

macro(build_example)
  file(REMOVE_RECURSE ${WORK_DIR})
  file(MAKE_DIRECTORY ${WORK_DIR})
  set(prefix ${WORK_DIR}/prefix)
  foreach(component tessel tessel-dev)
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component ${component} --prefix ${prefix})
endforeach()
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  run(make -C ${WORK_DIR} -f ${EXAMPLE_DIR}/Makefile SRC=${EXAMPLE_DIR}
      "CFLAGS=-O2 -Wall -Wextra -Werror")
  set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
  set(ENV{PLATFORM_REGISTRY_HKLM} ${WORK_DIR}/hklm.sqlite)
  set(ENV{PLATFORM_REGISTRY_HKCU} ${WORK_DIR}/hkcu.sqlite)
  set(ENV{PLATFORM_WINDOWS_DIR} ${WORK_DIR})
endmacro()
