# cmake -DSOURCE=<data set> -DDESTINATION=<game root> [-DINSTALLED=<folder>] -P InstallGameRoot.cmake
# Installs a data set (the build's pristine one, build/data-pristine) into a game root. Every
# file whose copy in the root differs from the set's is installed again, so a changed source
# or tool reaches the root at the next build; the files the program rewrites are installed
# only where missing, so a build never undoes what the program saved there. Files the set does
# not hold are left alone.
#
# Labs (data/labs/*.zql) the program rewrites too, but they follow the set while untouched:
# INSTALLED keeps a copy of each lab as this step last installed it into this root, and a lab
# still byte-identical to that copy is replaced by the set's; one the program rewrote stays.
# Without INSTALLED, labs are installed only where missing.
cmake_minimum_required(VERSION 3.25)

# The files the program rewrites, relative to the game root.
set(KEPT_FILES
  scripts/config/3dinit.vsc
  scripts/config/labs.vsc
)
# The labs, which the program rewrites when the player saves or plays them.
set(LAB_PATTERN "^data/labs/[^/]+\\.zql$")

if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR
    "usage: cmake -DSOURCE=<data set> -DDESTINATION=<game root> [-DINSTALLED=<folder>] -P InstallGameRoot.cmake")
endif()
if(NOT IS_DIRECTORY "${SOURCE}")
  message(FATAL_ERROR "no data set in ${SOURCE}")
endif()

# Whether the two files hold the same bytes; false when either is missing.
function(same_bytes first second result)
  set(same FALSE)
  if(EXISTS "${first}" AND EXISTS "${second}")
    file(SHA256 "${first}" first_hash)
    file(SHA256 "${second}" second_hash)
    if(first_hash STREQUAL second_hash)
      set(same TRUE)
    endif()
  endif()
  set(${result} ${same} PARENT_SCOPE)
endfunction()

# Folders first, so that the set's empty ones exist in the root too.
file(GLOB_RECURSE entries LIST_DIRECTORIES TRUE RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY "${SOURCE}/${entry}")
    file(MAKE_DIRECTORY "${DESTINATION}/${entry}")
  endif()
endforeach()
file(GLOB_RECURSE files LIST_DIRECTORIES FALSE RELATIVE "${SOURCE}" "${SOURCE}/*")
list(SORT files)
foreach(file IN LISTS files)
  set(target "${DESTINATION}/${file}")
  if(file IN_LIST KEPT_FILES AND EXISTS "${target}")
    continue()
  endif()
  if(file MATCHES "${LAB_PATTERN}" AND EXISTS "${target}")
    if(NOT DEFINED INSTALLED)
      continue()
    endif()
    same_bytes("${target}" "${INSTALLED}/${file}" untouched)
    if(NOT untouched)
      continue()
    endif()
  endif()
  get_filename_component(folder "${target}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}/${file}" "${target}" ONLY_IF_DIFFERENT)
  if(file MATCHES "${LAB_PATTERN}" AND DEFINED INSTALLED)
    get_filename_component(record_folder "${INSTALLED}/${file}" DIRECTORY)
    file(MAKE_DIRECTORY "${record_folder}")
    file(COPY_FILE "${SOURCE}/${file}" "${INSTALLED}/${file}" ONLY_IF_DIFFERENT)
  endif()
endforeach()
