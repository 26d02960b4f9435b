# Adds every immediate subfolder of the current source folder that has a CMakeLists.txt,
# so a subsystem plugs itself in without touching its parent.
function(seisbench_add_subfolders)
    file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# seisbench_test(NAME sources... LIBS libs...) builds one GoogleTest executable and registers
# its cases with CTest. Tests run in the build's bin folder, beside the resources.
function(seisbench_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    # Judged runs of the tests are kept in the build tree, not in the user's records.
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
                         DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data")
endfunction()

# seisbench_hot_code(TARGET): the transforms and spectra run at Release speed in the default
# build too. The default (RelWithDebInfo) differs from Release only in -O2 against -O3 (both set
# NDEBUG), and -O3's vectoriser is worth a tenth of the analysis time; debug info stays.
function(seisbench_hot_code target)
    target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O3>)
endfunction()
