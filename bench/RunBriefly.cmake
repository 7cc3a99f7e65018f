# Runs one benchmark program briefly, as a test that it still runs through: each case
# for a few iterations (as many as fit in a hundredth of a second, at least one) and
# twice, so that a case that trips over what its own earlier run left behind fails too.
# Fails when the program does not end normally or a case reports an error.
#   cmake -DPROGRAM=build/bench/bench_X -P RunBriefly.cmake
execute_process(
    COMMAND ${PROGRAM} --benchmark_min_time=0.01 --benchmark_repetitions=2
            --benchmark_color=false
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ended with ${status}\n${output}\n${errors}")
endif()
if(output MATCHES "ERROR OCCURRED")
    message(FATAL_ERROR "${PROGRAM} reported an error\n${output}\n${errors}")
endif()
message(STATUS "${output}")
