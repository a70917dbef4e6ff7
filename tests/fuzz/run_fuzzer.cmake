# Runs one libFuzzer binary for a bounded time on a scratch copy of its seed corpus.
if(NOT EXISTS ${FUZZER})
  message(FATAL_ERROR "fuzzer not built: ${FUZZER}")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
if(EXISTS ${SEEDS})
  file(COPY ${SEEDS}/ DESTINATION ${WORK})
endif()
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -print_final_stats=1 ${WORK}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "fuzzer ${FUZZER} failed (exit ${rc})")
endif()
