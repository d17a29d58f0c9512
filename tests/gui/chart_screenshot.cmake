# SPDX-License-Identifier: MIT
# Runs the program with the chart window shown and checks that both pictures were written.
file(REMOVE ${SHOT})
string(REPLACE ".png" "-frmCharting.png" CHART_SHOT ${SHOT})
file(REMOVE ${CHART_SHOT})
execute_process(COMMAND ${PROGRAM} --sim daisy:52400x3 --screenshot ${SHOT} --click "Scan All"
                        --click "Read Volts" --click "Show Chart"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "qvm-console ended with ${status}")
endif()
foreach(picture ${SHOT} ${CHART_SHOT})
  if(NOT EXISTS ${picture})
    message(FATAL_ERROR "${picture} was not written")
  endif()
endforeach()
