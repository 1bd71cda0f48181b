# Runs the scene preview on a copy of a game root and checks how it ends.
#   PROGRAM        scene_preview_png
#   GAME_ROOT      the pristine data set; copied to WORK/root first, so the run cannot change it
#   WORK           a folder of this test's own
#   PREFIX         where the pictures go (<PREFIX>-start.png, ...)
#   REMOVE         when set, a folder of the copy removed before the run
#   EXIT_CODE      the exit code the run must end with
#   STDERR_REGEX   when set, what stderr must hold
#   PICTURES       how many pictures the run must leave
file(REMOVE_RECURSE "${WORK}")
file(COPY "${GAME_ROOT}/" DESTINATION "${WORK}/root")
if(DEFINED REMOVE)
  file(REMOVE_RECURSE "${WORK}/root/${REMOVE}")
endif()
file(GLOB old "${PREFIX}-*.png")
if(old)
  file(REMOVE ${old})
endif()

execute_process(COMMAND "${PROGRAM}" "${WORK}/root" "${PREFIX}" RESULT_VARIABLE result ERROR_VARIABLE errors
                OUTPUT_VARIABLE output TIMEOUT 300)
message(STATUS "exit: ${result}\nstdout:\n${output}\nstderr:\n${errors}")
if(NOT "${result}" STREQUAL "${EXIT_CODE}")
  message(FATAL_ERROR "the preview ended with ${result}, not ${EXIT_CODE}")
endif()
if(DEFINED STDERR_REGEX AND NOT errors MATCHES "${STDERR_REGEX}")
  message(FATAL_ERROR "stderr does not say '${STDERR_REGEX}'")
endif()
file(GLOB pictures "${PREFIX}-*.png")
list(LENGTH pictures count)
if(NOT count EQUAL PICTURES)
  message(FATAL_ERROR "the run left ${count} pictures, not ${PICTURES}: ${pictures}")
endif()
