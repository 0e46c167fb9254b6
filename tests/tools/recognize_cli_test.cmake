# End-to-end check of the zem-recognize program:
#   cmake -DTOOL=<zem-recognize> -DINPUT_DIR=<dir of recognize_sample.strokes> -P recognize_cli_test.cmake
# The file starts with a BOM and a CRLF line. A malformed line is reported
# with its file and line, the good lines are still recognised, and the exit
# status is 1.

function(expect_contains text what)
  string(FIND "${text}" "${what}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected to find\n  ${what}\nin\n${text}")
  endif()
endfunction()

execute_process(COMMAND "${TOOL}" recognize_sample.strokes
  WORKING_DIRECTORY "${INPUT_DIR}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "exit status ${status}, expected 1\nstdout:\n${out}\nstderr:\n${err}")
endif()
expect_contains("${err}" "recognize_sample.strokes:10: bad point \"1,x\"")
expect_contains("${out}" "41-finger-fast-line-01\t1\tSwipeRight\t")
expect_contains("${out}" "s02-fast-delete_mark02\t12\tDelete\t")
expect_contains("${out}" "recognize_sample.strokes:9\t1\tSwipeRight\t")
expect_contains("${out}" "empty\t0\tUnknown\t0\t0\t0\t0\t1.7976931348623157e+308\t")
string(REGEX MATCHALL "\n" lines "${out}")
list(LENGTH lines count)
if(NOT count EQUAL 4)
  message(FATAL_ERROR "expected 4 result lines, got ${count}:\n${out}")
endif()

execute_process(COMMAND "${TOOL}" --no-such-option
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT out STREQUAL "")
  message(FATAL_ERROR "unknown option: exit status ${status}, expected 2 and no output")
endif()
expect_contains("${err}" "Usage: zem-recognize")
