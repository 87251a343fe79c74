# One bounded run of a fuzz target (cmake -P): copies the seed corpus to WORK (libFuzzer adds the
# inputs it finds to its corpus folder, and the source tree must stay as it is), runs every seed,
# then mutates until SECONDS have passed. A crash input is left in WORK/crashes/.
#   -DFUZZER=program -DCORPUS=seed-folder -DWORK=folder -DSECONDS=n [-DDICT=dictionary]
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/crashes)
file(COPY ${CORPUS}/ DESTINATION ${WORK}/corpus)
set(args -max_total_time=${SECONDS} -timeout=30 -rss_limit_mb=2048 -print_final_stats=1
  -artifact_prefix=${WORK}/crashes/)
if(DICT)
  list(APPEND args -dict=${DICT})
endif()
execute_process(COMMAND ${FUZZER} ${args} ${WORK}/corpus RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${status}); the input is in ${WORK}/crashes/")
endif()
