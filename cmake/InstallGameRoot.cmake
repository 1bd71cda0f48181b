# cmake -DSOURCE=<data set> -DDESTINATION=<game root> -P InstallGameRoot.cmake
# Installs a data set (the build's pristine one, build/data-pristine) into a game root. Every
# file whose copy in the root differs from the set's is installed again, so a changed source
# or tool reaches the root at the next build; the files the program rewrites are installed
# only where missing, so a build never undoes what the program saved there. Files the set does
# not hold are left alone.
cmake_minimum_required(VERSION 3.25)

# The files the program rewrites, relative to the game root.
set(KEPT_FILES
  scripts/config/3dinit.vsc
  scripts/config/labs.vsc
)

if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR "usage: cmake -DSOURCE=<data set> -DDESTINATION=<game root> -P InstallGameRoot.cmake")
endif()
if(NOT IS_DIRECTORY "${SOURCE}")
  message(FATAL_ERROR "no data set in ${SOURCE}")
endif()

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
  get_filename_component(folder "${target}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}/${file}" "${target}" ONLY_IF_DIFFERENT)
endforeach()
