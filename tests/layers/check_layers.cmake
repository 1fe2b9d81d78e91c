# Reads every #include "folder/..." under src/ and fails on an arrow between folders that the
# layering does not allow. Dependencies point down only: the protocol and the operations below,
# the front ends (app: the desktop program, cli: korvanne-cli) on top, and nothing below them
# includes either front end.
#   cmake -DSOURCE_DIR=<repo>/src -P check_layers.cmake

# folder  the folders its files may include (besides its own)
set(allowed_core        "")
set(allowed_ui          "core")
set(allowed_device      "core")
set(allowed_console     "core;device")
set(allowed_transfer    "core;device;console;ui")
set(allowed_effect      "core;device;transfer;ui")
set(allowed_pedal       "core;device")
set(allowed_update      "core;ui")
set(allowed_sim         "core;device")
set(allowed_operations  "core;device;console;transfer;effect;pedal;update")
set(allowed_cli         "core;device;console;transfer;effect;pedal;update;operations;sim")
set(allowed_app         "core;ui;device;console;transfer;effect;pedal;update;operations;sim")

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(violations "")
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(folder STREQUAL source)
        continue()  # a file at the top of src/
    endif()
    if(NOT DEFINED allowed_${folder})
        string(APPEND violations "  ${folder}/ is not in the layer table (add it)\n")
        set(allowed_${folder} "")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z_]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z_]+)/.*" "\\1" target "${line}")
        if(target STREQUAL folder)
            continue()
        endif()
        list(FIND allowed_${folder} "${target}" found)
        if(found EQUAL -1)
            string(APPEND violations "  ${source}: ${folder} -> ${target}\n")
        endif()
    endforeach()
endforeach()

if(violations)
    message(FATAL_ERROR "Includes the layering forbids:\n${violations}")
endif()
message(STATUS "Every include follows the layering")
