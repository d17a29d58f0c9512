# SPDX-License-Identifier: MIT
# qvm-console --poll: headless, it connects, polls with Quick Setup's actions, records every
# sample to the CSV file and says so; a malformed option is exit status 2, a failure 1.
function(run_console expected)
  execute_process(COMMAND ${PROGRAM} --sim daisy:52400x3 ${ARGN}
                  RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "${ARGN}: qvm-console ended with ${status}, not ${expected}\n${err}")
  endif()
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_on_stderr text)
  string(FIND "${err}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "\"${text}\" not on stderr:\n${err}")
  endif()
endfunction()

file(REMOVE ${CSV})
run_console(0 --poll 1 --poll-interval 100 --record-csv ${CSV})
if(NOT err MATCHES "polled ([0-9]+) samples, one every [0-9.]+ ms; ([0-9]+) recorded to")
  message(FATAL_ERROR "no summary on stderr:\n${err}")
endif()
set(samples ${CMAKE_MATCH_2})
file(STRINGS ${CSV} lines)
list(LENGTH lines count)
math(EXPR rows "${count} - 1")
if(NOT rows EQUAL samples OR samples LESS 3)
  message(FATAL_ERROR "${rows} rows in the file, ${samples} said recorded")
endif()
list(GET lines 0 header)
if(NOT header MATCHES "^TimeStamp,Elapsed\\(min\\),ComErrors,VCell1-1,")
  message(FATAL_ERROR "header: ${header}")
endif()

foreach(bad "--poll;0" "--poll;x" "--poll;1;--poll-interval;20" "--record-csv;${CSV}")
  run_console(2 ${bad})
endforeach()

run_console(1 --poll 1 --record-csv ${CSV}.missing/x.csv)
expect_on_stderr("could not be written")

run_console(1 --sim-faults unplug@60 --poll 2 --poll-interval 50)
expect_on_stderr("polling stopped before 2 s: the board was lost")

file(REMOVE ${SHOT} ${SHOT_STEM}-frmCharting.png)
run_console(0 --poll 1 --screenshot ${SHOT} --window frmCharting)
if(NOT EXISTS ${SHOT} OR NOT EXISTS ${SHOT_STEM}-frmCharting.png)
  message(FATAL_ERROR "the pictures were not written")
endif()

# The recording opens again without a board, every row of it, and its window is pictured; a
# file of another kind is refused with the line.
file(REMOVE ${SHOT_STEM}-recording.png)
run_console(0 --open ${CSV} --screenshot ${SHOT_STEM}-recording.png)
expect_on_stderr(", ${samples} samples")
if(NOT EXISTS ${SHOT_STEM}-recording.png)
  message(FATAL_ERROR "the recording's picture was not written")
endif()
run_console(1 --open ${CMAKE_CURRENT_LIST_FILE} --screenshot ${SHOT_STEM}-recording.png)
expect_on_stderr("line 1: not a chart recording")
