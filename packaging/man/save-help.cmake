# Saves what PROGRAM --help prints to OUTPUT; fails when the program does.
#   cmake -DPROGRAM=... -DOUTPUT=... -P save-help.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${result}")
endif()
