# cmake -DSOURCE=<folder> -DDESTINATION=<folder> -P CopyMissing.cmake
# Copies every file under SOURCE to the same place under DESTINATION unless one is already
# there: the program rewrites some of these files, and a rebuild must not undo that.
file(GLOB_RECURSE files RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(file IN LISTS files)
  if(NOT EXISTS "${DESTINATION}/${file}")
    get_filename_component(folder "${DESTINATION}/${file}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(COPY_FILE "${SOURCE}/${file}" "${DESTINATION}/${file}")
  endif()
endforeach()
