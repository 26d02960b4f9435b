# The layering as a CMake fact. Every library of the system belongs to one layer; a layer may
# link its own layer and the layers it lists, and outside libraries that match its patterns.
# seisbench_check_layering(), run once all targets exist, follows every link transitively
# (LINK_LIBRARIES and INTERFACE_LINK_LIBRARIES, private links included) and fails the configure
# on any other edge, on a library of ours that belongs to no layer, and on a cycle between
# libraries. Programs, tests and benchmarks sit above every layer and are not checked, except
# mkboot, which must stay on the standard library and the shared file readers.

set(SEISBENCH_LAYER_core sb_core)
set(SEISBENCH_LAYER_core_USES)
set(SEISBENCH_LAYER_core_EXTERNAL)

# Readers of the chip's text files, shared with mkboot.
set(SEISBENCH_LAYER_files sb_chipfiles sb_firmware_file)
set(SEISBENCH_LAYER_files_USES core)
set(SEISBENCH_LAYER_files_EXTERNAL)

# Signal processing and the spectra built on it: pure computation.
set(SEISBENCH_LAYER_dsp dsp sb_spectrum sb_digitizer)
set(SEISBENCH_LAYER_dsp_USES core)
set(SEISBENCH_LAYER_dsp_EXTERNAL "^Threads::Threads$")

# Our replacements for the platform: panel run-time, clock, device library, simulated board.
# They know nothing of the system above them.
set(SEISBENCH_LAYER_platform sb_clock sb_simboard sb_usb sb_usb_libusb sb_wire sb_ui sb_uir_ids)
set(SEISBENCH_LAYER_platform_USES core)
set(SEISBENCH_LAYER_platform_EXTERNAL "^nlohmann_json::" "^Threads::Threads$" "usb-1\\.0" "LIBUSB")

# The Qt front-end of the panel run-time: the only library that sees Qt.
set(SEISBENCH_LAYER_frontend sb_ui_qt)
set(SEISBENCH_LAYER_frontend_USES core platform)
set(SEISBENCH_LAYER_frontend_EXTERNAL "^Qt6::" "^QCustomPlotQt6::" "usb-1\\.0" "LIBUSB"
    "^nlohmann_json::")

# The system: subsystems of the desktop program and the command line, on the platform layer
# only through its interfaces (never Qt or libusb).
set(SEISBENCH_LAYER_system
    sb_transport sb_boards sb_boardlink sb_firmware sb_chip sb_capture sb_capture_permission sb_averaging
    sb_analysis sb_shell sb_cli sb_recording sb_mseed
    sb_macros sb_debugtools sb_debugger sb_records sb_run_records)
set(SEISBENCH_LAYER_system_USES core files dsp platform)
set(SEISBENCH_LAYER_system_EXTERNAL "^nlohmann_json::" "^Threads::Threads$" "^PkgConfig::MSEED$"
    "^PkgConfig::SQLITE3$" "^PkgConfig::PQ$")

# The boot-image builder and its console program: the shared file readers and core only.
set(SEISBENCH_LAYER_tool sb_mkboot mkboot)
set(SEISBENCH_LAYER_tool_USES core files)
set(SEISBENCH_LAYER_tool_EXTERNAL)

set(SEISBENCH_LAYERS core files dsp platform frontend system tool)

# Known cycles, as "from>to" edges left out of the cycle check. Each entry is a debt: delete
# it when the cycle is broken.
set(SEISBENCH_CYCLE_EXCEPTIONS)

# The name of a link item: $<LINK_ONLY:x> is x; other generator expressions and the markers
# CMake puts around links made from another folder ("::@...") are dropped.
function(_seisbench_link_name item out)
    if(item MATCHES "^\\$<LINK_ONLY:(.+)>$")
        set(item "${CMAKE_MATCH_1}")
    elseif(item MATCHES "^\\$<" OR item MATCHES "^::@")
        set(item "")
    endif()
    set(${out} "${item}" PARENT_SCOPE)
endfunction()

# The direct links of a target of ours, private ones included.
function(_seisbench_direct_links target out)
    get_target_property(type ${target} TYPE)
    set(items)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(links ${target} LINK_LIBRARIES)
        if(links)
            list(APPEND items ${links})
        endif()
    endif()
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    if(interface)
        list(APPEND items ${interface})
    endif()
    set(names)
    foreach(item IN LISTS items)
        _seisbench_link_name("${item}" name)
        if(name)
            list(APPEND names "${name}")
        endif()
    endforeach()
    list(REMOVE_DUPLICATES names)
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

function(_seisbench_is_ours name out)
    set(ours FALSE)
    if(TARGET ${name})
        get_target_property(imported ${name} IMPORTED)
        if(NOT imported)
            set(ours TRUE)
        endif()
    endif()
    set(${out} ${ours} PARENT_SCOPE)
endfunction()

# Everything a target links, directly or through other targets of ours; with a third argument
# SKIP_EXCEPTIONS, not through the known cycle edges.
function(_seisbench_closure target out)
    set(seen)
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        _seisbench_direct_links(${current} links)
        foreach(link IN LISTS links)
            if(link IN_LIST seen)
                continue()
            endif()
            if(ARGV2 STREQUAL "SKIP_EXCEPTIONS" AND "${current}>${link}" IN_LIST
               SEISBENCH_CYCLE_EXCEPTIONS)
                continue()
            endif()
            list(APPEND seen ${link})
            _seisbench_is_ours(${link} ours)
            if(ours)
                list(APPEND queue ${link})
            endif()
        endforeach()
    endwhile()
    set(${out} "${seen}" PARENT_SCOPE)
endfunction()

function(_seisbench_layer_of target out)
    set(found "")
    foreach(layer IN LISTS SEISBENCH_LAYERS)
        if(target IN_LIST SEISBENCH_LAYER_${layer})
            set(found ${layer})
        endif()
    endforeach()
    set(${out} "${found}" PARENT_SCOPE)
endfunction()

function(seisbench_check_layering)
    set(errors)
    foreach(layer IN LISTS SEISBENCH_LAYERS)
        set(allowed_layers ${layer} ${SEISBENCH_LAYER_${layer}_USES})
        foreach(target IN LISTS SEISBENCH_LAYER_${layer})
            if(NOT TARGET ${target})
                continue()  # an optional part not built in this configuration
            endif()
            _seisbench_closure(${target} links)
            foreach(link IN LISTS links)
                _seisbench_is_ours(${link} ours)
                if(ours)
                    _seisbench_layer_of(${link} link_layer)
                    if(NOT link_layer)
                        list(APPEND errors "${target} links ${link}, which belongs to no layer")
                    elseif(NOT link_layer IN_LIST allowed_layers)
                        list(APPEND errors
                             "${target} (${layer}) links ${link} (${link_layer})")
                    endif()
                    continue()
                endif()
                set(permitted FALSE)
                foreach(pattern IN LISTS SEISBENCH_LAYER_${layer}_EXTERNAL)
                    if(link MATCHES "${pattern}")
                        set(permitted TRUE)
                    endif()
                endforeach()
                if(NOT permitted)
                    list(APPEND errors "${target} (${layer}) links the outside library ${link}")
                endif()
            endforeach()

            # A cycle: a library we link links us back.
            _seisbench_direct_links(${target} direct)
            foreach(link IN LISTS direct)
                _seisbench_is_ours(${link} ours)
                if(NOT ours OR "${target}>${link}" IN_LIST SEISBENCH_CYCLE_EXCEPTIONS)
                    continue()
                endif()
                _seisbench_closure(${link} back SKIP_EXCEPTIONS)
                if(target IN_LIST back)
                    list(APPEND errors "${target} and ${link} link each other")
                endif()
            endforeach()
        endforeach()
    endforeach()
    if(errors)
        list(JOIN errors "\n  " text)
        message(FATAL_ERROR "Layering broken (cmake/Layering.cmake):\n  ${text}")
    endif()
endfunction()
