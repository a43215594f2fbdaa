# Runs a script live and requires exit status 0 and every EXPECT regular expression (separated by
# '|') somewhere in the trace. Variables: HOST, APP, SCRIPT, EXPECT, TIMEOUT.
execute_process(
    COMMAND ${HOST} live ${SCRIPT} --app ${APP}
    OUTPUT_VARIABLE trace
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
    TIMEOUT ${TIMEOUT})
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the live run exited with ${status}\n${errors}\n${trace}")
endif()
string(REPLACE "|" ";" expectations "${EXPECT}")
foreach(expected IN LISTS expectations)
    if(NOT trace MATCHES "${expected}")
        message(FATAL_ERROR "the live trace has no line matching '${expected}'\n${trace}")
    endif()
endforeach()
