# cmake -P script: the shared library LIBRARY exports the public classes and nothing else
# (besides the linker's own markers).
execute_process(COMMAND nm -D --defined-only -C ${LIBRARY}
    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" symbols "${symbols}")
set(public 0)
foreach(line IN LISTS symbols)
    if(line MATCHES "tessel::(clsReport|Error)(::| *$)")
        math(EXPR public "${public} + 1")
    elseif(NOT line MATCHES " (_edata|_end|__bss_start)$" AND NOT line STREQUAL "")
        message(FATAL_ERROR "${LIBRARY} exports an internal symbol: ${line}")
    endif()
endforeach()
if(public LESS 10)
    message(FATAL_ERROR "${LIBRARY} exports only ${public} symbols of the public classes")
endif()
message(STATUS "${public} public symbols and nothing else")
