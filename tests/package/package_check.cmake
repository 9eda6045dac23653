cmake_minimum_required(VERSION 3.25)
# Builds the Debian packages, unpacks them into a scratch root and uses what
# they hold from there with a scrubbed environment, from another folder: the
# programs must find their libraries and data through the package's own
# layout (RUNPATHs relative to $ORIGIN), never through the build tree.
# Expects BUILD_DIR, WORK_DIR, BINDIR, LIBDIR, PRIVATE_LIBDIR, DATADIR,
# INCLUDEDIR, MANDIR, VERSION, MAINTAINER, C_COMPILER, CLIENT_SOURCE and
# STATIC_CLIENT_SOURCE.
include(${CMAKE_CURRENT_LIST_DIR}/../support/run_step.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(root ${WORK_DIR}/root)
set(home ${WORK_DIR}/home)
file(MAKE_DIRECTORY ${root} ${home}/config ${home}/runtime ${home}/tmp ${WORK_DIR}/elsewhere)
file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# Nothing of the caller's environment but a plain PATH, a home of the
# check's own and the offscreen platform.
set(clean_env env -i PATH=/usr/bin:/bin HOME=${home} XDG_CONFIG_HOME=${home}/config
    XDG_RUNTIME_DIR=${home}/runtime TMPDIR=${home}/tmp QT_QPA_PLATFORM=offscreen)

# run_clean(command args...): `run` in the clean environment, from a folder
# that is neither the build tree nor the unpacked root.
function(run_clean)
  execute_process(
    COMMAND ${clean_env} ${ARGN}
    WORKING_DIRECTORY ${WORK_DIR}/elsewhere
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 60)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN}\nfailed (${result}):\n${output}${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

# The packages, what their control files say, and what lintian says of
# them: nothing, not even a warning.
run(cpack --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR}/package)
file(GLOB packages ${WORK_DIR}/package/*.deb)
set(package_names gly libtessel0 libtessel-dev tessel-tools)
foreach(name ${package_names})
  file(GLOB ${name}_deb ${WORK_DIR}/package/${name}_${VERSION}_*.deb)
  if(NOT ${name}_deb)
    message(FATAL_ERROR "no package ${name}, found: ${packages}")
  endif()
endforeach()
list(LENGTH packages count)
if(NOT count EQUAL 4)
  message(FATAL_ERROR "expected four packages, found: ${packages}")
endif()
# check_depends(PACKAGE WANTED...): the package's Depends field names each.
function(check_depends name)
  run(dpkg-deb --field ${${name}_deb} Depends)
  foreach(wanted ${ARGN})
    if(NOT output MATCHES "${wanted}")
      message(FATAL_ERROR "${name} does not depend on ${wanted}:\n${output}")
    endif()
  endforeach()
endfunction()
# The maintainer the build was given, in every package.
foreach(name ${package_names})
  run(dpkg-deb --field ${${name}_deb} Maintainer)
  if(NOT output STREQUAL "${MAINTAINER}\n")
    message(FATAL_ERROR "${name}'s maintainer is ${output}, not ${MAINTAINER}")
  endif()
endforeach()
check_depends(gly "libtessel0 \\(= ${VERSION}\\)" "libqt6widgets6" "libqt6gui6" "libfreetype6"
              "libsnmp" "libstdc\\+\\+6")
check_depends(libtessel0 "libsqlite3-0" "libstdc\\+\\+6")
check_depends(libtessel-dev "libtessel0 \\(= ${VERSION}\\)")
check_depends(tessel-tools "libtessel0 \\(= ${VERSION}\\)")
# The library alone brings no program and no desktop along.
run(dpkg-deb --field ${libtessel0_deb} Depends)
if(output MATCHES "qt6|gly")
  message(FATAL_ERROR "libtessel0 pulls in the program: ${output}")
endif()
run(lintian -I --fail-on error,warning ${packages})
if(output MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian finds faults in the packages:\n${output}")
endif()
# Built with Debian's hardening flags: fortified, immediate binding.
if(output MATCHES "hardening")
  message(FATAL_ERROR "lintian finds binaries without hardening:\n${output}")
endif()

# Each package holds what it promises, and nothing else: a test program or
# a build tool installed by mistake would show up here.
set(usr ${root}/usr)
set(doc "${DATADIR}/doc/[a-z0-9-]+/(copyright|changelog\\.gz)")
set(gly_files "${BINDIR}/(gly|glyctl)" "${PRIVATE_LIBDIR}/lib[A-Za-z_]+\\.so"
    "${DATADIR}/(gly|doc/gly|applications|icons/hicolor|metainfo|bash-completion/completions)/.+"
    "${MANDIR}/man1/(gly|glyctl)\\.1\\.gz"
    "${DATADIR}/lintian/overrides/gly")
set(libtessel0_files "${LIBDIR}/lib(tessel|glyplatform)\\.so\\.[0-9.]+" "${doc}")
set(libtessel-dev_files "${LIBDIR}/lib(tessel|glyplatform)\\.so" "${LIBDIR}/libtessel\\.a"
    "${LIBDIR}/pkgconfig/tessel\\.pc"
    "${INCLUDEDIR}/tessel/[a-z]+\\.h" "${doc}")
set(tessel-tools_files "${BINDIR}/tessel-profile" "${MANDIR}/man1/tessel-profile\\.1\\.gz" "${doc}")
foreach(name ${package_names})
  list(JOIN ${name}_files "|" allowed)
  file(REMOVE_RECURSE ${WORK_DIR}/one)
  run(dpkg-deb -x ${${name}_deb} ${WORK_DIR}/one)
  file(GLOB_RECURSE held LIST_DIRECTORIES false RELATIVE ${WORK_DIR}/one/usr ${WORK_DIR}/one/*)
  foreach(file ${held})
    if(NOT file MATCHES "^(${allowed})$")
      message(FATAL_ERROR "${name} holds an unexpected file: ${file}")
    endif()
  endforeach()
  run(dpkg-deb -x ${${name}_deb} ${root})
endforeach()
set(expected
  ${BINDIR}/gly ${BINDIR}/tessel-profile
  ${PRIVATE_LIBDIR}/libResourceDLL.so ${PRIVATE_LIBDIR}/libConverter.so
  ${PRIVATE_LIBDIR}/libGLYSNMP.so ${PRIVATE_LIBDIR}/libglyctl_pdf.so
  ${LIBDIR}/libtessel.so ${LIBDIR}/libtessel.so.0 ${LIBDIR}/libtessel.a ${LIBDIR}/pkgconfig/tessel.pc
  ${INCLUDEDIR}/tessel/qtl.h ${INCLUDEDIR}/tessel/qrtl.h ${INCLUDEDIR}/tessel/version.h
  ${DATADIR}/metainfo/org.example.gly.metainfo.xml ${DATADIR}/bash-completion/completions/glyctl
  ${DATADIR}/gly/QPntStrPrfl.ini ${DATADIR}/gly/FontList.ps ${DATADIR}/gly/Gly.html
  ${DATADIR}/applications/gly.desktop ${DATADIR}/icons/hicolor/48x48/apps/gly.png
  ${MANDIR}/man1/gly.1.gz ${MANDIR}/man1/tessel-profile.1.gz)
foreach(name ${package_names})
  list(APPEND expected ${DATADIR}/doc/${name}/copyright ${DATADIR}/doc/${name}/changelog.gz)
endforeach()
foreach(file ${expected})
  if(NOT EXISTS ${usr}/${file})
    message(FATAL_ERROR "the packages lack ${file}")
  endif()
endforeach()
file(GLOB_RECURSE shipped LIST_DIRECTORIES false RELATIVE ${usr} ${usr}/*)

# Every binary finds its libraries relative to itself.
foreach(file ${shipped})
  if(file MATCHES "^${BINDIR}/|\\.so")
    run(readelf -d ${usr}/${file})
    if(output MATCHES "\\(RPATH\\)")
      message(FATAL_ERROR "${file} has an RPATH, which LD_LIBRARY_PATH cannot override")
    endif()
    string(REGEX MATCH "Library runpath: \\[([^]]*)\\]" runpath "${output}")
    if(CMAKE_MATCH_1 MATCHES "^:|::|:$")
      message(FATAL_ERROR "${file} looks for libraries in the current folder: ${CMAKE_MATCH_1}")
    endif()
    string(REPLACE ":" ";" entries "${CMAKE_MATCH_1}")
    foreach(entry ${entries})
      if(NOT entry MATCHES "^\\$ORIGIN(/|$)")
        message(FATAL_ERROR "${file} looks for libraries outside the package: ${entry}")
      endif()
    endforeach()
  endif()
endforeach()

# Nor does a program of the build tree: the loader takes an empty RUNPATH
# entry for the current folder, where anyone may have put a library.
foreach(program glyctl gly tessel-profile)
  run(readelf -d ${BUILD_DIR}/bin/${program})
  string(REGEX MATCH "Library runpath: \\[([^]]*)\\]" runpath "${output}")
  if(NOT CMAKE_MATCH_1 MATCHES "^\\$ORIGIN/*$")
    message(FATAL_ERROR "the build tree's ${program} looks for libraries elsewhere than beside it: ${CMAKE_MATCH_1}")
  endif()
endforeach()

# What software centres read of the program.
run(appstreamcli validate --no-net ${usr}/${DATADIR}/metainfo/org.example.gly.metainfo.xml)

if(EXISTS /usr/bin/desktop-file-validate)
  run(desktop-file-validate ${usr}/${DATADIR}/applications/gly.desktop)
  if(NOT output STREQUAL "")
    message(FATAL_ERROR "the desktop entry has faults:\n${output}")
  endif()
else()
  message(STATUS "desktop-file-validate is not installed: the desktop entry is not validated")
endif()

# The program loads the package's libraries, finds its resource library and
# its data, and starts.
run_clean(env LD_TRACE_LOADED_OBJECTS=1 ${usr}/${BINDIR}/gly)
foreach(library libglyplatform libConverter libGLYSNMP)
  if(NOT output MATCHES "${library}[^\n]* => ${usr}/")
    message(FATAL_ERROR "the program does not load the package's ${library}:\n${output}")
  endif()
endforeach()
run_clean(${usr}/${BINDIR}/gly --check-setup)
if(NOT output MATCHES "program folder: ${usr}/${BINDIR}\n"
   OR NOT output MATCHES "resource library: ${usr}/${BINDIR}/[^\n]*/libResourceDLL.so\n"
   OR NOT output MATCHES "data folder: ${usr}/${BINDIR}/[^\n]*/gly\n"
   OR NOT output MATCHES "printer models: [1-9]")
  message(FATAL_ERROR "the unpacked program did not find its files:\n${output}")
endif()
# A real start: the main window is still up when it is ended after a few
# seconds (a failed start ends at once, with a message on standard error).
execute_process(
  COMMAND ${clean_env} timeout 4 ${usr}/${BINDIR}/gly
  WORKING_DIRECTORY ${WORK_DIR}/elsewhere
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 124 OR errors MATCHES "gly: ")
  message(FATAL_ERROR "the unpacked program did not start (${result}):\n${output}${errors}")
endif()

# glyctl, once it is part of the build.
if(EXISTS ${usr}/${BINDIR}/glyctl)
  run_clean(${usr}/${BINDIR}/glyctl --help)
  if(NOT output MATCHES "glyctl")
    message(FATAL_ERROR "glyctl --help says nothing of glyctl:\n${output}")
  endif()
  # A command loads only what it needs: glyctl names no library of Qt, IPP,
  # DNS-SD, SNMP, SQLite or the converter (a converter function glyctl calls
  # without forwarding it in on_demand/ would bring the converter back), and
  # runs without its report module, whose absence the report command names.
  run_clean(env LD_TRACE_LOADED_OBJECTS=1 ${usr}/${BINDIR}/glyctl)
  if(output MATCHES "libQt6|libcups|libavahi|libnetsnmp|libsqlite3|libConverter|libGLYSNMP")
    message(FATAL_ERROR "glyctl loads libraries it only needs for some commands:\n${output}")
  endif()
  set(report_module ${usr}/${PRIVATE_LIBDIR}/libglyctl_pdf.so)
  file(RENAME ${report_module} ${report_module}.away)
  run_clean(${usr}/${BINDIR}/glyctl --help)
  execute_process(COMMAND ${clean_env} ${usr}/${BINDIR}/glyctl report 127.0.0.1 --pdf ${WORK_DIR}/report.pdf
                  WORKING_DIRECTORY ${WORK_DIR}/elsewhere RESULT_VARIABLE result ERROR_VARIABLE errors)
  file(RENAME ${report_module}.away ${report_module})
  if(NOT result EQUAL 8 OR NOT errors MATCHES "cannot load the report module")
    message(FATAL_ERROR "glyctl report without its module (${result}):\n${errors}")
  endif()
  file(GLOB manual ${usr}/${MANDIR}/man1/glyctl.1*)
  if(NOT manual)
    message(FATAL_ERROR "the package lacks glyctl's manual page")
  endif()
else()
  message(STATUS "glyctl is not built: its check is skipped")
endif()

# A C program built with what the package's pkg-config file gives, and run
# against the package's library. The file names /usr in plain paths; the
# scratch root stands in for it as a sysroot.
set(ENV{PKG_CONFIG_LIBDIR} ${usr}/${LIBDIR}/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${root})
run(pkg-config --cflags --libs tessel)
if(NOT output MATCHES "-I${usr}/${INCLUDEDIR} " OR NOT output MATCHES "-L${usr}/${LIBDIR} "
   OR output MATCHES "/\\.\\.?/|//")
  message(FATAL_ERROR "pkg-config does not point plainly into the package: ${output}")
endif()
separate_arguments(flags UNIX_COMMAND "${output}")
run(${C_COMPILER} ${CLIENT_SOURCE} -o ${WORK_DIR}/tiny_client ${flags} -Wl,-rpath,${usr}/${LIBDIR})
run_clean(${WORK_DIR}/tiny_client)
if(NOT output STREQUAL "Unknown error|QRTL_SUCCESS|42\n")
  message(FATAL_ERROR "the client built against the package printed: ${output}")
endif()

# A program with the library linked in from libtessel.a, the platform
# library still shared, by pkg-config's flags for a static link: the
# library starts as loading it does.
run(pkg-config --static --cflags --libs tessel)
string(REGEX REPLACE "-ltessel( |$)" "-l:libtessel.a " static_libs "${output}")
separate_arguments(flags UNIX_COMMAND "${static_libs}")
run(${C_COMPILER} ${STATIC_CLIENT_SOURCE} -o ${WORK_DIR}/static_client ${flags}
    -Wl,-rpath,${usr}/${LIBDIR})
run(readelf -d ${WORK_DIR}/static_client)
if(output MATCHES "libtessel\\.so")
  message(FATAL_ERROR "the static client loads libtessel.so:\n${output}")
endif()
run_clean(${WORK_DIR}/static_client)
if(NOT output STREQUAL "QTL_SUCCESS\n")
  message(FATAL_ERROR "the client linked against libtessel.a printed: ${output}")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
