# cmake -DSOURCE=<file> -DDESTINATION=<file> -P CopyScript.cmake
# Copies one script of content/ into the data set. Block scripts (*.fsc), the string table
# (scripts/strings/*.txt) and shader scripts (*.shd) split their tokens only at CR LF and lose
# a last token without one behind it, so they get CR LF line ends and a final CR LF whatever
# an editor saved. Everything else, value scripts (*.vsc) included, is copied byte for byte:
# the value-script reader takes any line end, and an enciphered value script is binary.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR "usage: cmake -DSOURCE=<file> -DDESTINATION=<file> -P CopyScript.cmake")
endif()

string(TOLOWER "${DESTINATION}" name)
if(NOT name MATCHES "\\.(fsc|shd)$" AND NOT name MATCHES "(^|/)scripts/strings/[^/]+\\.txt$")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
  return()
endif()

# A zero byte (a UTF-16 text has them) would cut the text short, and the scripts are
# Windows-1252: both marks of Unicode text are refused rather than copied as junk.
file(READ "${SOURCE}" hex HEX)
string(REGEX REPLACE "(..)" " \\1" bytes "${hex}")
string(FIND "${bytes}" " 00" zero)
if(NOT zero EQUAL -1 OR hex MATCHES "^efbbbf")
  message(FATAL_ERROR "${SOURCE}: not a Windows-1252 text (a zero byte or a Unicode mark)")
endif()

# Reading as text already turns CR LF into LF; a lone CR (an old editor's line end) counts
# as a line end too.
file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\r" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
if(NOT text STREQUAL "" AND NOT text MATCHES "\r\n$")
  string(APPEND text "\r\n")
endif()
# Through a temporary name, so a failed copy leaves no half script behind.
file(WRITE "${DESTINATION}.tmp" "${text}")
file(RENAME "${DESTINATION}.tmp" "${DESTINATION}")
