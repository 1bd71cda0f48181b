# The install step on game roots of this test's own: a new root gets the whole set; then the
# files the program rewrites are kept as they are, while every other file that differs from
# the set (changed in the root, or changed in a newer set) or is missing is installed again.
# Labs follow a newer set while they are as the step last installed them, and stay once the
# program has rewritten them.
#   INSTALLER  cmake/InstallGameRoot.cmake
#   PRISTINE   the build's pristine data set
#   WORK       a folder of this test's own
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/DataChecks.cmake)
file(REMOVE_RECURSE "${WORK}")
set(root ${WORK}/root)
set(settings scripts/config/3dinit.vsc)
set(labs scripts/config/labs.vsc)
set(shaders scripts/shaders/shaders.shd)
set(model data/models/ball.uzq)
set(career_lab data/labs/tolp.zql)
set(editor_lab data/labs/sandbox.zql)
set(installed ${WORK}/installed)

# install_set(<set> [WITHOUT_RECORD]): the step into the root, with the record of the labs
# installed unless told otherwise.
function(install_set set)
  set(record -DINSTALLED=${installed})
  if(ARGV1 STREQUAL "WITHOUT_RECORD")
    set(record)
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${set} -DDESTINATION=${root} ${record} -P ${INSTALLER}
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing ${set} failed (${status}):\n${errors}")
  endif()
endfunction()

function(expect_text file text)
  file(WRITE "${WORK}/expected" "${text}")
  expect_same_file("${WORK}/expected" "${file}")
endfunction()

foreach(file ${settings} ${labs} ${shaders} ${model} ${career_lab} ${editor_lab})
  if(NOT EXISTS "${PRISTINE}/${file}")
    message(FATAL_ERROR "the pristine set lacks ${file}")
  endif()
endforeach()

# A new root: everything, the empty folders included.
install_set(${PRISTINE})
expect_same_tree(${PRISTINE} ${root})

# The program saved its settings, a person edited the shader script in the root, removed a
# model and added a script of their own.
file(WRITE ${root}/${settings} "[3DInit]\r\nWidth = 800.000000\r\n")
file(WRITE ${root}/${labs} "[Labs]\r\nLabNameEditor = \"mine\"\r\n")
file(APPEND ${root}/${shaders} "edited\r\n")
file(REMOVE ${root}/${model})
file(WRITE ${root}/scripts/own.fsc "mine\r\n")
install_set(${PRISTINE})
expect_text(${root}/${settings} "[3DInit]\r\nWidth = 800.000000\r\n")
expect_text(${root}/${labs} "[Labs]\r\nLabNameEditor = \"mine\"\r\n")
expect_same_file(${PRISTINE}/${shaders} ${root}/${shaders})
expect_same_file(${PRISTINE}/${model} ${root}/${model})
expect_text(${root}/scripts/own.fsc "mine\r\n")

# A newer set with changed settings and a changed shader script: the settings stay the
# program's, the shader script is the new one.
file(COPY ${PRISTINE}/ DESTINATION ${WORK}/newer)
file(WRITE ${WORK}/newer/${settings} "[3DInit]\r\nWidth = 640.000000\r\n")
file(APPEND ${WORK}/newer/${shaders} "// newer\r\n")
install_set(${WORK}/newer)
expect_text(${root}/${settings} "[3DInit]\r\nWidth = 800.000000\r\n")
expect_same_file(${WORK}/newer/${shaders} ${root}/${shaders})

# Where the settings are missing, the set's are installed.
file(REMOVE ${root}/${settings} ${root}/${labs})
install_set(${WORK}/newer)
expect_same_file(${WORK}/newer/${settings} ${root}/${settings})
file(REMOVE ${root}/scripts/own.fsc)
expect_same_tree(${WORK}/newer ${root})

# Labs: a new root gets the set's, and the record keeps what was installed.
file(REMOVE_RECURSE ${root} ${installed})
install_set(${PRISTINE})
foreach(lab ${career_lab} ${editor_lab})
  expect_same_file(${PRISTINE}/${lab} ${root}/${lab})
  expect_same_file(${PRISTINE}/${lab} ${installed}/${lab})
endforeach()

# The program rewrote the editor's lab; a newer set changes both. The untouched career lab
# follows the set, the rewritten one stays, and the record follows what was installed.
file(REMOVE_RECURSE ${WORK}/newer)
file(COPY ${PRISTINE}/ DESTINATION ${WORK}/newer)
file(APPEND ${WORK}/newer/${career_lab} "newer")
file(APPEND ${WORK}/newer/${editor_lab} "newer")
file(WRITE ${root}/${editor_lab} "saved by the program")
install_set(${WORK}/newer)
expect_same_file(${WORK}/newer/${career_lab} ${root}/${career_lab})
expect_same_file(${WORK}/newer/${career_lab} ${installed}/${career_lab})
expect_text(${root}/${editor_lab} "saved by the program")
expect_same_file(${PRISTINE}/${editor_lab} ${installed}/${editor_lab})

# Once the player deletes the rewritten lab, the set's comes back.
file(REMOVE ${root}/${editor_lab})
install_set(${WORK}/newer)
expect_same_file(${WORK}/newer/${editor_lab} ${root}/${editor_lab})
expect_same_file(${WORK}/newer/${editor_lab} ${installed}/${editor_lab})

# Without the record every lab present is kept, even an untouched one.
install_set(${PRISTINE} WITHOUT_RECORD)
expect_same_file(${WORK}/newer/${career_lab} ${root}/${career_lab})
expect_same_file(${WORK}/newer/${career_lab} ${installed}/${career_lab})

# A missing data set is refused.
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORK}/none -DDESTINATION=${root} -P ${INSTALLER}
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(status EQUAL 0 OR NOT errors MATCHES "no data set in")
  message(FATAL_ERROR "a missing data set was not refused (${status}):\n${errors}")
endif()
