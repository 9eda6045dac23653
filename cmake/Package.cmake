# The Debian packages: `cpack -G DEB` in the build folder (or the `package`
# target) makes four, for /usr, of what `cmake --install` places:
#   gly            component gly: the programs, their private libraries, data
#   libtessel0     component tessel: libtessel.so.0 and the platform library
#   libtessel-dev  component tessel-dev: headers, tessel.pc, unversioned links
#   tessel-tools   component tessel-tools: tessel-profile
# Dependencies on other packages come from dpkg-shlibdeps, which reads what
# every binary links; those between the three are stated here, and the
# shlibs file of libtessel0 gives them to programs built against it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${GLY_PACKAGE_MAINTAINER}")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL gly tessel tessel-dev tessel-tools)
set(CPACK_DEBIAN_PACKAGE_SOURCE gly)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(gly_debian_dir ${PROJECT_SOURCE_DIR}/cmake/debian)
set(gly_debian_build_dir ${CMAKE_BINARY_DIR}/debian)
set(gly_exact_version "(= ${PROJECT_VERSION})")

# gly_debian_description(COMPONENT LINES...): the description of the
# component's package, its summary first, from lines that end in "\n".
function(gly_debian_description component)
  string(JOIN "" text ${ARGN})
  set(CPACK_DEBIAN_${component}_DESCRIPTION "${text}" PARENT_SCOPE)
endfunction()

set(CPACK_DEBIAN_GLY_PACKAGE_NAME gly)
set(CPACK_DEBIAN_GLY_PACKAGE_SECTION utils)
gly_debian_description(GLY
  "printer font and resource manager\n"
  "GLY finds network printers over SNMP, shows and deletes the fonts they\n"
  "hold, prints font reports, and downloads fonts, macros, forms and print\n"
  "files to many printers at once over LPR, converting TrueType fonts to\n"
  "Type 1 and PCL on the way. glyctl does the same from a command line.")
# The programs link the platform library from libtessel0: dpkg-shlibdeps finds them in the build folder and
# the dependency is stated here.
set(CPACK_DEBIAN_GLY_PACKAGE_DEPENDS "libtessel0 ${gly_exact_version}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${GLY_OUTPUT_DIR})
# Help opens in the desktop's browser.
set(CPACK_DEBIAN_GLY_PACKAGE_RECOMMENDS "xdg-utils")

set(CPACK_DEBIAN_TESSEL_PACKAGE_NAME libtessel0)
set(CPACK_DEBIAN_TESSEL_PACKAGE_SECTION libs)
gly_debian_description(TESSEL
  "message-oriented transport layer and runtime services library\n"
  "libtessel offers plain C functions in two families: QTL, a transport layer\n"
  "over UDP and TCP with endpoints, packet queues, host-name lookups, delays,\n"
  "timers and ping, and QRTL, runtime services: status texts, a log file,\n"
  "events and a profile store.")
# The platform library opens SQLite at the registry's first use, out of
# dpkg-shlibdeps' sight; the release it needs at least is stated here.
set(CPACK_DEBIAN_TESSEL_PACKAGE_DEPENDS "libsqlite3-0 (>= 3.20)")
set(gly_shlibs ${gly_debian_build_dir}/shlibs)
file(WRITE ${gly_shlibs}
  "libtessel ${PROJECT_VERSION_MAJOR} libtessel0 (>= ${PROJECT_VERSION})\n"
  "libglyplatform ${PROJECT_VERSION_MAJOR} libtessel0 (>= ${PROJECT_VERSION})\n")
# The loader's cache is brought up to date by the ldconfig trigger, the way
# lintian accepts. CPack would add postinst and postrm scripts that call
# ldconfig unless the control files name scripts of their own; naming two
# that do not exist (CPack leaves out, with a warning, what it cannot find)
# leaves the package without any.
configure_file(${gly_debian_dir}/libtessel0.triggers ${gly_debian_build_dir}/triggers COPYONLY)
set(CPACK_DEBIAN_TESSEL_PACKAGE_CONTROL_EXTRA
  ${gly_shlibs} ${gly_debian_build_dir}/triggers
  ${gly_debian_build_dir}/none/postinst ${gly_debian_build_dir}/none/postrm)

set(CPACK_DEBIAN_TESSEL-DEV_PACKAGE_NAME libtessel-dev)
set(CPACK_DEBIAN_TESSEL-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TESSEL-DEV_PACKAGE_DEPENDS "libtessel0 ${gly_exact_version}")
gly_debian_description(TESSEL-DEV
  "message-oriented transport layer and runtime services library (development)\n"
  "libtessel offers plain C functions in two families: QTL, a transport layer,\n"
  "and QRTL, runtime services. This package holds the headers and the\n"
  "pkg-config file for building programs against it.")

set(CPACK_DEBIAN_TESSEL-TOOLS_PACKAGE_NAME tessel-tools)
set(CPACK_DEBIAN_TESSEL-TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TESSEL-TOOLS_PACKAGE_DEPENDS "libtessel0 ${gly_exact_version}")
gly_debian_description(TESSEL-TOOLS
  "settings tool of the tessel library\n"
  "tessel-profile reads, writes and lists the entries of the profile store in\n"
  "which libtessel keeps its transport settings and host tables.")

# Every package carries the copyright file and the changelog, which Debian
# wants compressed, in its own documentation folder.
set(gly_changelog ${gly_debian_build_dir}/changelog.gz)
configure_file(${gly_debian_dir}/changelog.in ${gly_debian_build_dir}/changelog @ONLY)
gly_compress(${gly_debian_build_dir}/changelog ${gly_changelog} debian_changelog)
foreach(component_package gly:gly tessel:libtessel0 tessel-dev:libtessel-dev tessel-tools:tessel-tools)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${gly_debian_dir}/copyright ${gly_changelog}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
configure_file(${gly_debian_dir}/gly.lintian-overrides.in
  ${gly_debian_build_dir}/lintian-overrides/gly @ONLY)
install(FILES ${gly_debian_build_dir}/lintian-overrides/gly
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT gly)
include(CPack)
