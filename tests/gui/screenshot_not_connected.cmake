# SPDX-License-Identifier: MIT
# A screenshot run of a console that did not connect exits 1 with the link's reason on stderr,
# whatever kept it from connecting; the picture is still written.
set(cases
    "denied|not connected: sim:evb cannot be opened: Permission denied"
    "mute|not connected: the bridge opened but never answered"
    "unplug@1|not connected: the board was lost: simulated board unplugged")
foreach(case ${cases})
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 faults)
  list(GET parts 1 reason)
  file(REMOVE ${SHOT})
  execute_process(COMMAND ${PROGRAM} --sim daisy:52400x3 --sim-faults ${faults} --screenshot ${SHOT}
                  RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 1)
    message(FATAL_ERROR "${faults}: qvm-console ended with ${status}\n${err}")
  endif()
  string(FIND "${err}" "${reason}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${faults}: \"${reason}\" not on stderr:\n${err}")
  endif()
  if(NOT EXISTS ${SHOT})
    message(FATAL_ERROR "${faults}: ${SHOT} was not written")
  endif()
endforeach()
