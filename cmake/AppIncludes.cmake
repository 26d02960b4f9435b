# The application object is for the edges: the shell that builds it, the command line, the
# programs, and the few files below that bind panel callbacks or still drive the board through
# it. Everything else takes the state it uses. This check fails the configure when any other
# file under src/ includes shell/app.h; a file that stops including it should leave the list.
#
# Also runs as a script: cmake -DSEISBENCH_SRC=<folder> -P cmake/AppIncludes.cmake

if(CMAKE_SCRIPT_MODE_FILE)
    cmake_minimum_required(VERSION 3.20)
endif()

set(SEISBENCH_APP_EDGE_FILES
    boardlink/discovery.cpp
    boardlink/firmware/flash_board.cpp
    capture/averaging.cpp
    capture/capture.cpp
    capture/permission.cpp
    chip/coef_loaders.cpp
    chip/register_tool.cpp
    chip/setup_config.cpp
    recording/record_panel.cpp
    records/history_panel.cpp)

function(seisbench_check_app_includes src)
    file(GLOB_RECURSE files RELATIVE "${src}" "${src}/*.h" "${src}/*.cpp")
    set(offenders)
    foreach(f IN LISTS files)
        if(f MATCHES "^(cli|shell)/" OR f IN_LIST SEISBENCH_APP_EDGE_FILES)
            continue()
        endif()
        file(STRINGS "${src}/${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]shell/app\\.h[\">]")
        if(hits)
            list(APPEND offenders "${f}")
        endif()
    endforeach()
    if(offenders)
        list(JOIN offenders "\n  " text)
        message(FATAL_ERROR "shell/app.h included outside the edges (cmake/AppIncludes.cmake); "
                            "pass the state the code uses instead:\n  ${text}")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND SEISBENCH_SRC)
    seisbench_check_app_includes("${SEISBENCH_SRC}")
endif()
