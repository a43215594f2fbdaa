# Runs one scenario script with the host and checks what it must produce:
#   NAME.trace   the exact standard output of a run that exits 0, or
#   NAME.stderr  the exact standard error of a run that exits 2 with no output (script errors).
# Variables: HOST, APP, SCRIPT, EXPECTED, MODE (trace or error), OUT (where the actual output goes).
execute_process(
    COMMAND ${HOST} sim ${SCRIPT} --app ${APP}
    OUTPUT_VARIABLE actual_out
    ERROR_VARIABLE actual_err
    RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)

if(MODE STREQUAL "error")
    if(NOT status EQUAL 2)
        message(FATAL_ERROR "expected exit status 2, got ${status}\n${actual_err}")
    endif()
    if(NOT actual_out STREQUAL "")
        message(FATAL_ERROR "a script error must print no trace, got:\n${actual_out}")
    endif()
    set(actual ${actual_err})
else()
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "expected exit status 0, got ${status}\n${actual_err}")
    endif()
    set(actual ${actual_out})
endif()

if(NOT actual STREQUAL expected)
    file(WRITE ${OUT} "${actual}")
    execute_process(COMMAND diff -u ${EXPECTED} ${OUT} OUTPUT_VARIABLE difference)
    message(FATAL_ERROR "output differs from ${EXPECTED} (actual output in ${OUT}):\n${difference}")
endif()
