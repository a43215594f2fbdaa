# Runs one scenario twice with the same seed and requires the same trace, byte for byte.
# Variables: HOST, APP, SCRIPT, SEED.
foreach(run first second)
    execute_process(
        COMMAND ${HOST} sim ${SCRIPT} --seed ${SEED} --app ${APP}
        OUTPUT_VARIABLE ${run}
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "the ${run} run exited with ${status}")
    endif()
endforeach()
if(first STREQUAL "")
    message(FATAL_ERROR "the run printed no trace")
endif()
if(NOT first STREQUAL second)
    message(FATAL_ERROR "two runs with seed ${SEED} gave different traces")
endif()
