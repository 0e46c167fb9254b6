# Runs zem-touch-replay as a user would: -DTOOL=... -DDATA=tests/data/evdev
# -DHERE=this folder. Checks whole outputs against kept files and the exit
# status for bad input (every recording's frames: Evdev/RealRecording).
function(replay out_var status_var)
  execute_process(COMMAND ${TOOL} ${ARGN}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${status_var} "${status}" PARENT_SCOPE)
  set(replay_err "${err}" PARENT_SCOPE)
endfunction()

function(expect_output expected)
  replay(out status ${ARGN})
  file(READ ${HERE}/${expected} want)
  if(NOT status EQUAL 0 OR NOT out STREQUAL want)
    message(FATAL_ERROR "zem-touch-replay ${ARGN}: status ${status}, output differs from "
      "${expected}:\n${out}${replay_err}")
  endif()
endfunction()

expect_output(EP0430M09.2-fingers-touch-release.out
  "${DATA}/EP0430M09.2-fingers-touch-release.events")
expect_output(Atmel-rotated.out --screen 800x480 --rotation 90
  "${DATA}/Atmel_maXTouch_Touchscreen.2-fingers-touch-release.events")

# Unreadable lines: reported as file:line, skipped, status 1.
replay(out status ${HERE}/bad-lines.events)
if(NOT status EQUAL 1 OR NOT out STREQUAL "0 1 400 800 0 0\n10 1 400 800 0 0\n30 0 0 0 0 0\n"
   OR NOT replay_err MATCHES "bad-lines.events:13: " OR NOT replay_err MATCHES "bad-lines.events:17: ")
  message(FATAL_ERROR "bad lines: status ${status}\n${out}${replay_err}")
endif()

# Nothing to replay: a description without a panel, a missing file, bad options.
replay(out status "${DATA}/ELAN_CANDO_Windows7.1-finger-drag-up-down.events")
if(NOT status EQUAL 2 OR NOT replay_err MATCHES "no multitouch")
  message(FATAL_ERROR "events without a description: status ${status} ${replay_err}")
endif()
foreach(bad "/nonexistent.events" "--rotation;45" "--screen;0x800" "--screen;480" "--bogus")
  replay(out status ${bad} ${HERE}/bad-lines.events)
  if(NOT status EQUAL 2)
    message(FATAL_ERROR "${bad}: status ${status}")
  endif()
endforeach()
