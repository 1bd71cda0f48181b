# The script copier on a table of sources: block scripts, the string table and shader
# scripts come out with CR LF line ends and a final CR LF, other files byte for byte, and a
# Unicode text is refused without a file written.
#   COPIER  cmake/CopyScript.cmake
#   WORK    a folder of this test's own
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/DataChecks.cmake)
file(REMOVE_RECURSE "${WORK}")

# Copies in/<name> to out/<name>.
function(copy_script name result)
  get_filename_component(folder "${WORK}/out/${name}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORK}/in/${name} -DDESTINATION=${WORK}/out/${name}
                          -P ${COPIER}
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  set(${result} "${status}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

function(expect_copy name source expected)
  file(WRITE "${WORK}/in/${name}" "${source}")
  copy_script("${name}" status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name}: the copy failed (${status}):\n${errors}")
  endif()
  file(WRITE "${WORK}/expected/${name}" "${expected}")
  read_bytes("${WORK}/out/${name}" got)
  read_bytes("${WORK}/expected/${name}" want)
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${name}: copied as\n ${got}\nnot\n ${want}")
  endif()
endfunction()

string(ASCII 233 128 255 high)  # e acute, the euro sign and y diaeresis in Windows-1252

# Block scripts, the string table and shader scripts: every line end, whatever it was, is CR LF.
expect_copy(scripts/ball.fsc "Ball\n{\nRadius 1\n}" "Ball\r\n{\r\nRadius 1\r\n}\r\n")
expect_copy(scripts/CAPITALS.FSC "A\nB\n" "A\r\nB\r\n")
expect_copy(scripts/shaders/mixed.shd "pass\r\n{\rblend one\n}" "pass\r\n{\r\nblend one\r\n}\r\n")
expect_copy(scripts/shaders/kept.shd "pass\r\n{\r\n}\r\n" "pass\r\n{\r\n}\r\n")
expect_copy(scripts/old_mac.fsc "a\rb\r" "a\r\nb\r\n")
expect_copy(scripts/blank.fsc "a\n\n\nb\n\r\n" "a\r\n\r\n\r\nb\r\n\r\n")
expect_copy(scripts/empty.fsc "" "")
expect_copy(scripts/strings/main.txt "KEY\n{\nText ${high}\n}" "KEY\r\n{\r\nText ${high}\r\n}\r\n")
expect_copy(scripts/quoting.fsc "x;y [z] \\ \${v} \"q\"\n;" "x;y [z] \\ \${v} \"q\"\r\n;\r\n")
# Value scripts and other texts: byte for byte.
expect_copy(scripts/config/settings.vsc "[Block]\nKey = 1" "[Block]\nKey = 1")
expect_copy(scripts/notes/readme.txt "a\nb${high}" "a\nb${high}")

# Refused: Unicode texts, a zero byte cutting the text short.
string(ASCII 239 187 191 utf8_mark)
file(WRITE "${WORK}/in/scripts/utf8.fsc" "${utf8_mark}Ball\r\n")
execute_process(COMMAND printf "\\377\\376B\\000a\\000\\r\\000\\n\\000" OUTPUT_FILE "${WORK}/in/scripts/utf16.fsc")
execute_process(COMMAND printf "Ball\\000\\r\\n}\\r\\n" OUTPUT_FILE "${WORK}/in/scripts/zero.fsc")
foreach(name utf8.fsc utf16.fsc zero.fsc)
  copy_script(scripts/${name} status)
  string(REGEX REPLACE "[ \n]+" " " errors "${errors}")  # undo the message's wrapping
  if(status EQUAL 0 OR NOT errors MATCHES "in/scripts/${name}: not a Windows-1252 text")
    message(FATAL_ERROR "${name} was not refused (${status}):\n${errors}")
  endif()
  if(EXISTS "${WORK}/out/scripts/${name}" OR EXISTS "${WORK}/out/scripts/${name}.tmp")
    message(FATAL_ERROR "${name}: refused, yet a file was written")
  endif()
endforeach()
