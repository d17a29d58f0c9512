# SPDX-License-Identifier: MIT
# On a 1366x768 screen the console's picture is no larger than the screen.
file(WRITE ${SCREEN_FILE} "{\"screens\": [{\"name\": \"laptop\", \"x\": 0, \"y\": 0, \"width\": 1366, \"height\": 768, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
set(ENV{QT_QPA_PLATFORM} "offscreen:configfile=${SCREEN_FILE}")
file(REMOVE ${SHOT})
execute_process(COMMAND ${PROGRAM} --sim daisy:52400x3 --screenshot ${SHOT}
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "qvm-console ended with ${status}\n${err}")
endif()
# The PNG header's width and height, big-endian, at bytes 16 and 20.
file(READ ${SHOT} header OFFSET 16 LIMIT 8 HEX)
string(SUBSTRING "${header}" 0 8 width_hex)
string(SUBSTRING "${header}" 8 8 height_hex)
math(EXPR width "0x${width_hex}")
math(EXPR height "0x${height_hex}")
if(width GREATER 1366 OR height GREATER 768 OR width LESS 1000)
  message(FATAL_ERROR "the picture is ${width}x${height}")
endif()
