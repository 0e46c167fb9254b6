# End-to-end check of the zem-sim program itself:
#   cmake -DTOOL=<zem-sim> -DINPUT_DIR=<this directory> -P zem_sim_cli_test.cmake
# Exit status 1 with FILE:LINE messages for unmet expectations, 2 for bad
# lines, unknown fault names and usage errors; touch entries only when verbose.

function(run_tool expected_status)
  execute_process(COMMAND "${TOOL}" ${ARGN}
    WORKING_DIRECTORY "${INPUT_DIR}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "zem-sim ${ARGN}: exit status ${status}, expected ${expected_status}\n"
      "stdout:\n${out}\nstderr:\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_contains text what)
  string(FIND "${text}" "${what}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected to find\n  ${what}\nin\n${text}")
  endif()
endfunction()

function(expect_lacks text what)
  string(FIND "${text}" "${what}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "did not expect\n  ${what}\nin\n${text}")
  endif()
endfunction()

run_tool(1 unmet.scn)
expect_contains("${err}" "unmet.scn:8: found \"registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\MultiTouchDemo = 0\" at 1610 ms")
expect_contains("${err}" "unmet.scn:9: expected \"display orientation 270\" not found")
expect_contains("${err}" "unmet.scn:10: ZEM exited with 0, not 3")
expect_contains("${out}" "== unmet.scn")
expect_contains("${out}" "   1000 ms  registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\MultiTouchDemo = 1")
expect_contains("${out}" "ZEM exited with 0")
expect_contains("${out}" "FAIL unmet.scn (3 problems)")
expect_lacks("${out}" "-> pen input")
expect_lacks("${err}" "unmet.scn:7")
expect_lacks("${out}" "hook posts")

run_tool(1 --verbose unmet.scn)
expect_contains("${out}" "touch 1 (400,400) -> pen input")
expect_contains("${out}" "hook posts touch 0x00000001 0x00648064")
expect_contains("${out}" "hook posts touch end")

run_tool(1 --quiet unmet.scn)
expect_lacks("${out}" " ms  ")
expect_contains("${out}" "FAIL unmet.scn")

run_tool(2 malformed.scn unmet.scn)
expect_contains("${err}" "malformed.scn:3: unknown command \"jump\"")
expect_contains("${err}" "malformed.scn:4: unknown fault \"nosuchcall\"")
expect_contains("${out}" "ERROR malformed.scn (not run: 2 errors)")
expect_contains("${out}" "2 scenarios: 0 passed, 1 failed, 1 not run")

run_tool(2 unknown_fault.scn)
expect_contains("${err}" "unknown_fault.scn:1: unknown fault \"nosuchcall\" (known: post, ")

run_tool(2 no-such-file.scn)
expect_contains("${err}" "no-such-file.scn: cannot read the file")

run_tool(2 --verbose --quiet unmet.scn)
expect_contains("${err}" "Usage: zem-sim")
run_tool(2)
expect_contains("${err}" "no scenario file given")
run_tool(0 --help)
expect_contains("${out}" "Usage: zem-sim")
