# Makes the whole data set a second time, into a folder of this test's own, with the build's
# own steps, and compares it with the pristine set byte for byte.
#   GENERATE  the build's GenerateData.cmake
#   PRISTINE  the build's pristine data set
#   WORK      a folder of this test's own
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/DataChecks.cmake)
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} -DDATA=${WORK} -P ${GENERATE} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "making the data set again failed (${status})")
endif()
expect_same_tree(${PRISTINE} ${WORK})
