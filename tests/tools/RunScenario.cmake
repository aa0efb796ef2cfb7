# Replays one scenario in a fresh working directory and compares its output.
# With VANTEL_UPDATE_SCENARIOS=1 in the environment it writes the output over
# the expected file instead (tools/update-scenarios.sh), so that an intended
# change of output shows in `git diff`.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
if(DEFINED SEED AND IS_DIRECTORY ${SEED})
  file(COPY ${SEED}/ DESTINATION ${WORKDIR})
endif()
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
if("$ENV{VANTEL_UPDATE_SCENARIOS}" STREQUAL "1")
  set(old "")
  if(EXISTS ${EXPECTED})
    file(READ ${EXPECTED} old)
  endif()
  if(NOT EXISTS ${EXPECTED} OR NOT out STREQUAL old)
    file(WRITE ${EXPECTED} "${out}")
    message(STATUS "updated ${EXPECTED}")
  endif()
  return()
endif()
file(READ ${EXPECTED} want)
if(NOT out STREQUAL want)
  file(WRITE ${WORKDIR}/actual.txt "${out}")
  execute_process(COMMAND diff -u ${EXPECTED} ${WORKDIR}/actual.txt)
  message(FATAL_ERROR "output differs from ${EXPECTED} (actual in ${WORKDIR}/actual.txt)")
endif()
