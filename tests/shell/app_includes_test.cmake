# A tree whose only includes of shell/app.h are at the edges passes; one more file below them
# that includes it fails, and the message names that file.
set(tree "${WORK}/src")
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${tree}/cli/command.cpp" "#include \"shell/app.h\"\n")
file(WRITE "${tree}/chip/setup_config.cpp" "#include \"shell/app.h\"\n")
file(WRITE "${tree}/analysis/fft_tests.cpp" "#include \"analysis/context.h\"\n// shell/app.h\n")

function(run_check out_rc out_text)
    execute_process(COMMAND "${CMAKE_COMMAND}" -DSEISBENCH_SRC=${tree} -P "${MODULE}"
                    RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out)
    set(${out_rc} "${rc}" PARENT_SCOPE)
    set(${out_text} "${out}${err}" PARENT_SCOPE)
endfunction()

run_check(rc text)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "edge-only tree refused:\n${text}")
endif()

file(WRITE "${tree}/analysis/zoom.h" "#pragma once\n  #  include <shell/app.h>\n")
run_check(rc text)
if(rc EQUAL 0 OR NOT text MATCHES "analysis/zoom\\.h" OR text MATCHES "setup_config")
    message(FATAL_ERROR "new include not refused as expected (status ${rc}):\n${text}")
endif()
