# Compiler settings shared by every target of the project, and the helper that makes
# one static library per source folder.

add_library(brenlow_options INTERFACE)
target_include_directories(brenlow_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(brenlow_options INTERFACE -Wall -Wextra)
if(BRENLOW_WERROR)
  target_compile_options(brenlow_options INTERFACE -Werror)
endif()

if(BRENLOW_SANITIZE)
  target_compile_options(brenlow_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(brenlow_options INTERFACE -fsanitize=address,undefined)
endif()

if(BRENLOW_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "BRENLOW_FUZZ needs clang (CXX=clang++)")
  endif()
  # The libraries are instrumented for coverage; only the fuzz targets link the fuzzer's main.
  target_compile_options(brenlow_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
  target_link_options(brenlow_options INTERFACE -fsanitize=address,undefined)
endif()

# brenlow_library(<name> SOURCES ... [PUBLIC ...] [PRIVATE ...]): a static library of one
# source folder. PUBLIC: what its headers expose; PRIVATE: what only its sources use.
function(brenlow_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC brenlow_options ${ARG_PUBLIC})
  if(ARG_PRIVATE)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE})
  endif()
endfunction()
