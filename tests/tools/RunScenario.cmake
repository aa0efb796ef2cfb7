# Replays one scenario in a fresh working directory and compares its output.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
execute_process(
  COMMAND ${REPLAY}
  INPUT_FILE ${SCENARIO}
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE rc
  WORKING_DIRECTORY ${WORKDIR})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vantel-replay exited with ${rc}\n${err}\n${out}")
endif()
file(READ ${EXPECTED} want)
if(NOT out STREQUAL want)
  file(WRITE ${WORKDIR}/actual.txt "${out}")
  execute_process(COMMAND diff -u ${EXPECTED} ${WORKDIR}/actual.txt)
  message(FATAL_ERROR "output differs from ${EXPECTED} (actual in ${WORKDIR}/actual.txt)")
endif()
