# cmake -DROOT=<source folder> -P CheckLayering.cmake: fails, listing each offending line,
# when the production code under ROOT breaks the layering:
# - code under engine/, game/ or tools/ includes a test-hook header (but its own) or anything
#   under tests/;
# - the engine core outside its frame/ folder includes graphics, sound, platform or interface
#   headers;
# - graphics includes anything of the platform layer but its types and, in the Direct3D 9
#   render device, the 3D layer.
if(NOT ROOT)
  message(FATAL_ERROR "ROOT not set")
endif()

set(offences)

# check_includes(<files> <pattern> <why> [<allowed pattern>]): every include of a path
# matching the pattern, unless it also matches the allowed one, is an offence. "<stem>" in
# the allowed pattern stands for the including file's name without its extension.
function(check_includes files pattern why)
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"${pattern}")
    if(ARGC GREATER 3)
      get_filename_component(stem "${file}" NAME_WE)
      string(REPLACE "<stem>" "${stem}" allowed "${ARGV3}")
      list(FILTER lines EXCLUDE REGEX "${allowed}")
    endif()
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH shown "${ROOT}" "${file}")
      list(APPEND offences "${shown}: ${line} (${why})")
    endforeach()
  endforeach()
  set(offences "${offences}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE production LIST_DIRECTORIES false
  "${ROOT}/engine/*.h" "${ROOT}/engine/*.cpp" "${ROOT}/game/*.h" "${ROOT}/game/*.cpp"
  "${ROOT}/tools/*.h" "${ROOT}/tools/*.cpp")
# A class's own source defines its switches, so it alone may include them.
check_includes("${production}" "[^\"]*TestHooks\\.h\"" "a test hook in production code" "/<stem>TestHooks\\.h\"")
check_includes("${production}" "tests/" "test code in production code")

file(GLOB_RECURSE core LIST_DIRECTORIES false "${ROOT}/engine/core/*.h" "${ROOT}/engine/core/*.cpp")
list(FILTER core EXCLUDE REGEX "/engine/core/frame/")
check_includes("${core}" "engine/(graphics|sound|platform|gui)/" "the core below the other subsystems")

file(GLOB_RECURSE graphics LIST_DIRECTORIES false "${ROOT}/engine/graphics/*.h" "${ROOT}/engine/graphics/*.cpp")
set(device ${graphics})
list(FILTER device INCLUDE REGEX "/RenderDeviceDX9[^/]*$")
list(FILTER graphics EXCLUDE REGEX "/RenderDeviceDX9[^/]*$")
check_includes("${graphics}" "winapi/" "graphics reaches the platform through the render device"
               "\"winapi/base/WinTypes\\.h\"")
check_includes("${device}" "winapi/" "the render device needs only the 3D layer and the types"
               "\"winapi/(base/WinTypes|d3d9/D3D9)\\.h\"")

if(offences)
  list(JOIN offences "\n" text)
  message(FATAL_ERROR "layering broken:\n${text}")
endif()
message(STATUS "layering holds")
