# Where an installation puts things, and how its binaries find each other.
#
# tessel and the platform layer it stands on are for every program: they go
# to the library folder. The program's own libraries (the resource library,
# the converter and the SNMP library) are of no use to anyone else and go
# to a folder of their own beneath it. Every installed binary finds its
# libraries through a RUNPATH relative to its own place ($ORIGIN), so an
# installation works wherever it is unpacked or moved to.
include(GNUInstallDirs)
# Debian keeps libraries in a folder per architecture, where its
# cross-building tools look for them and their pkg-config files too;
# GNUInstallDirs picks that folder for the prefix /usr alone, but the
# Debian package is made from a build for any prefix. A library folder
# chosen on the command line stays.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
endif()
# What names no component belongs to the program's package.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME gly)

set(GLY_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/gly)
set(GLY_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/gly)

# gly_runpath(VAR FROM TO...): the RUNPATH with which a binary installed in
# FROM reaches the folders TO (all relative to the prefix).
function(gly_runpath var from)
  set(runpath)
  foreach(to ${ARGN})
    file(RELATIVE_PATH relative /${from} /${to})
    string(REGEX REPLACE "/$" "" relative "${relative}")
    if(relative STREQUAL "")
      list(APPEND runpath "$ORIGIN")
    else()
      list(APPEND runpath "$ORIGIN/${relative}")
    endif()
  endforeach()
  set(${var} "${runpath}" PARENT_SCOPE)
endfunction()

# gly_install_runpath(TARGET DESTINATION COMPONENT RUNPATH): gives TARGET,
# installed to DESTINATION, the RUNPATH RUNPATH there, and the build tree's
# output folder alone before. CMake's own change of a RUNPATH at install
# pads the build tree's with empty entries, and the loader takes an empty
# entry for the current directory: a library planted wherever a program is
# started from would be loaded, after a search that costs every start. So
# the binary is linked with "$ORIGIN" (the output folder) lengthened by
# slashes, which the loader drops, to the room the installed RUNPATH takes,
# and the install writes that one in its place.
function(gly_install_runpath target destination component runpath)
  string(REPLACE ";" ":" installed "${runpath}")
  string(LENGTH "${installed}" room)
  set(built "$ORIGIN")
  string(LENGTH "${built}" length)
  while(length LESS room)
    string(APPEND built "/")
    math(EXPR length "${length} + 1")
  endwhile()
  set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "${built}")
  install(CODE "file(RPATH_CHANGE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
                 OLD_RPATH \"${built}\" NEW_RPATH \"${installed}\")"
          COMPONENT ${component})
endfunction()

# gly_install_program(TARGET [COMPONENT name]): installs a program to the
# binaries folder; programs may use any library.
function(gly_install_program target)
  cmake_parse_arguments(P "" "COMPONENT" "" ${ARGN})
  if(NOT P_COMPONENT)
    set(P_COMPONENT ${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME})
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${P_COMPONENT})
  gly_runpath(runpath ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBDIR} ${GLY_PRIVATE_LIBDIR})
  gly_install_runpath(${target} ${CMAKE_INSTALL_BINDIR} ${P_COMPONENT} "${runpath}")
endfunction()

# gly_install_library(TARGET DESTINATION [COMPONENT name [NAMELINK_COMPONENT
# name]]): installs a shared library; the link without a version, which
# only building against it needs, may go to a component of its own.
# Libraries depend on the public ones at most (the platform layer), so their
# RUNPATH reaches the library folder alone.
function(gly_install_library target destination)
  cmake_parse_arguments(L "" "COMPONENT;NAMELINK_COMPONENT" "" ${ARGN})
  if(NOT L_COMPONENT)
    set(L_COMPONENT ${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME})
  endif()
  if(NOT L_NAMELINK_COMPONENT)
    set(L_NAMELINK_COMPONENT ${L_COMPONENT})
  endif()
  install(TARGETS ${target} LIBRARY DESTINATION ${destination}
          COMPONENT ${L_COMPONENT} NAMELINK_COMPONENT ${L_NAMELINK_COMPONENT})
  gly_runpath(runpath ${destination} ${CMAKE_INSTALL_LIBDIR})
  gly_install_runpath(${target} ${destination} ${L_COMPONENT} "${runpath}")
endfunction()

# gly_compress(SOURCE OUTPUT TARGET): OUTPUT is SOURCE compressed, as Debian
# keeps manual pages and changelogs, made by TARGET in every build; gzip -n
# gives the same bytes from build to build.
function(gly_compress source output target)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source} VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

# gly_install_manual(PAGE [COMPONENT C]): installs a manual page, compressed, in the folder
# of its section (the last character of its name).
function(gly_install_manual page)
  cmake_parse_arguments(M "" "COMPONENT" "" ${ARGN})
  if(NOT M_COMPONENT)
    set(M_COMPONENT ${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME})
  endif()
  get_filename_component(name ${page} NAME)
  string(REGEX MATCH "[1-9]$" section ${name})
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  gly_compress(${CMAKE_CURRENT_SOURCE_DIR}/${page} ${compressed} manual_${name})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${M_COMPONENT})
endfunction()
