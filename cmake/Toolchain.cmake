# Compiler settings every target shares: warnings, ccache, sanitizers.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

add_compile_options(-Wall -Wextra)

# GLY_SANITIZE: empty, "address" (address + undefined behaviour) or "thread".
set(GLY_SANITIZE "" CACHE STRING "Sanitizer build: address or thread")
if(GLY_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(GLY_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT GLY_SANITIZE STREQUAL "")
  message(FATAL_ERROR "GLY_SANITIZE must be empty, address or thread")
endif()

# Debian's hardening flags as dpkg-buildflags gives them with every feature
# on: fortified functions, the stack protector, format checks, relocations
# made read-only and bound at start. The packages are made from this build.
# Optimisation and debug information stay the build type's; the sanitizer
# builds go without.
option(GLY_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(GLY_HARDENING AND GLY_SANITIZE STREQUAL "" AND DPKG_BUILDFLAGS)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^(-g|-O.?|-f(file|debug)-prefix-map=.*)$")
    if(kind STREQUAL "LDFLAGS")
      add_link_options(${flags})
    else()
      # Fortified functions need the optimiser.
      add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${flags}>")
    endif()
  endforeach()
endif()

# Adds every immediate subfolder that has a CMakeLists.txt, so a new feature
# folder joins the build without editing its parent.
function(gly_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# A tool that runs during the build is not product code: build it without the
# sanitizers, whose reports on the uninstrumented libraries it calls (Qt's
# thread pool under TSan) would stop the build.
function(gly_build_tool target)
  set_target_properties(${target} PROPERTIES COMPILE_OPTIONS "-Wall;-Wextra" LINK_OPTIONS "")
endfunction()
