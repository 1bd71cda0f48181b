# Runs the program as a person would and checks how it ends.
#   PROGRAM      the program
#   GAME_ROOT    the pristine data set; copied to WORK first, so the run cannot change it
#   WORK         a folder of this test's own
#   HEIGHT       when set, the display script's window height in the copy
#   EXIT_CODE    the exit code the run must end with
#   STDERR_REGEX what stderr must hold
#   LOG_REGEX    when set, what the log file must hold
#   NO_DISPLAY   when set, the run has no window system variables at all
file(REMOVE_RECURSE "${WORK}")
file(COPY "${GAME_ROOT}/" DESTINATION "${WORK}")
if(DEFINED HEIGHT)
  set(script "${WORK}/scripts/config/3dinit.vsc")
  file(READ "${script}" text)
  string(REGEX REPLACE "Height = [0-9.]+" "Height = ${HEIGHT}" text "${text}")
  file(WRITE "${script}" "${text}")
endif()

# The program runs in its game root, the working directory.
set(command "${PROGRAM}")
if(NO_DISPLAY)
  set(command ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=SDL_VIDEODRIVER ${command})
endif()
execute_process(COMMAND ${command} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE result ERROR_VARIABLE errors
                OUTPUT_QUIET TIMEOUT 60)
message(STATUS "exit: ${result}\nstderr:\n${errors}")
if(NOT "${result}" STREQUAL "${EXIT_CODE}")
  message(FATAL_ERROR "the program ended with ${result}, not ${EXIT_CODE}")
endif()
if(NOT errors MATCHES "${STDERR_REGEX}")
  message(FATAL_ERROR "stderr does not say '${STDERR_REGEX}'")
endif()
if(DEFINED LOG_REGEX)
  file(GLOB logs "${WORK}/*.log")
  if(NOT logs)
    message(FATAL_ERROR "no log file in ${WORK}")
  endif()
  file(READ "${logs}" log)
  if(NOT log MATCHES "${LOG_REGEX}")
    message(FATAL_ERROR "the log does not say '${LOG_REGEX}':\n${log}")
  endif()
endif()
