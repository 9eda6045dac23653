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
