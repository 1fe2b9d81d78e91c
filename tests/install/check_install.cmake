# Installs the build into PREFIX and checks the tree. Arguments: BUILD_DIR, PREFIX, EXPECT_CLI
# (1 when korvanne-cli is built), VERSION (the project's).
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(failures "")
macro(fail text)
    string(APPEND failures "  ${text}\n")
endmacro()

set(expected
    bin/korvanne-editor
    bin/korvanne-pedal-sim
    share/applications/korvanne-editor.desktop
    share/icons/hicolor/scalable/apps/korvanne-editor.svg
    lib/udev/rules.d/60-korvanne-editor.rules
    share/doc/korvanne-editor/copyright
    share/doc/korvanne-editor/changelog.Debian.gz)
if(EXPECT_CLI)
    list(APPEND expected bin/korvanne-cli)
endif()
# The sizes menus and panels ask for.
foreach(size 16 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/korvanne-editor.png)
endforeach()
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        fail("missing: ${path}")
    endif()
endforeach()

# Everything lands in the usual places below the prefix (nothing into a home or /etc).
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
foreach(path IN LISTS installed)
    if(NOT path MATCHES "^(bin/[^/]+|share/applications/[^/]+|share/icons/hicolor/.+|lib/udev/rules\\.d/[^/]+|share/doc/korvanne-editor/[^/]+)$")
        fail("unexpected place: ${path}")
    endif()
endforeach()

# The menu entry starts an installed program and shows an installed icon, under Audio.
set(entry "${PREFIX}/share/applications/korvanne-editor.desktop")
if(EXISTS "${entry}")
    file(STRINGS "${entry}" lines)
    set(exec "")
    set(icon "")
    set(categories "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^Exec=([^ ]+)")
            set(exec "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^Icon=(.+)$")
            set(icon "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^Categories=(.+)$")
            set(categories "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    if(exec STREQUAL "" OR NOT EXISTS "${PREFIX}/bin/${exec}")
        fail("the entry's Exec '${exec}' is no installed program")
    endif()
    if(icon STREQUAL "" OR NOT EXISTS "${PREFIX}/share/icons/hicolor/scalable/apps/${icon}.svg")
        fail("the entry's Icon '${icon}' is no installed icon")
    endif()
    if(NOT categories MATCHES "(^|;)AudioVideo;" OR NOT categories MATCHES "(^|;)Audio;")
        fail("the entry is not under AudioVideo and Audio: '${categories}'")
    endif()

    find_program(VALIDATE desktop-file-validate)
    if(VALIDATE)
        execute_process(COMMAND "${VALIDATE}" "${entry}"
            RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT result EQUAL 0)
            fail("desktop-file-validate rejects the entry:\n${output}")
        endif()
    else()
        message(STATUS "desktop-file-validate not found; the entry's syntax is not checked")
    endif()
endif()

# The rule gives the seat's user the FTDI bridge and sets its latency timer.
set(rule "${PREFIX}/lib/udev/rules.d/60-korvanne-editor.rules")
if(EXISTS "${rule}")
    file(READ "${rule}" text)
    if(NOT text MATCHES "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"0403\", TAG\\+=\"uaccess\"")
        fail("the rule does not tag the bridge's tty for the seat's user")
    endif()
    if(NOT text MATCHES "DRIVER==\"ftdi_sio\", ATTR{latency_timer}=\"1\"")
        fail("the rule does not set the latency timer to 1 ms")
    endif()
endif()

# Debian's documentation: a machine-readable copyright, and the changelog compressed as Debian
# wants it (gzip -9n: no name, no time stamp, best compression).
set(copyright "${PREFIX}/share/doc/korvanne-editor/copyright")
if(EXISTS "${copyright}")
    file(STRINGS "${copyright}" lines)
    list(GET lines 0 format)
    if(NOT format STREQUAL "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
        fail("the copyright file is not in the machine-readable format: '${format}'")
    endif()
    foreach(field "Files: \\*" "Copyright: .+" "License: .+")
        set(found ${lines})
        list(FILTER found INCLUDE REGEX "^${field}$")
        if(found STREQUAL "")
            fail("the copyright file has no line ${field}")
        endif()
    endforeach()
endif()
set(changelog "${PREFIX}/share/doc/korvanne-editor/changelog.Debian.gz")
if(EXISTS "${changelog}")
    file(READ "${changelog}" head LIMIT 10 HEX)
    # Magic, deflate, no flags (no name), time stamp 0, best compression, Unix.
    if(NOT head STREQUAL "1f8b0800000000000203")
        fail("the changelog is not compressed with gzip -9n: header ${head}")
    endif()
endif()

# The installed editor runs from its new place.
if(EXISTS "${PREFIX}/bin/korvanne-editor")
    execute_process(COMMAND "${PREFIX}/bin/korvanne-editor" --version
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 60)
    if(NOT result EQUAL 0 OR NOT output MATCHES "${VERSION}")
        fail("the installed editor's --version gave (${result}): ${output}")
    endif()
endif()

if(NOT failures STREQUAL "")
    message(FATAL_ERROR "The install tree in ${PREFIX} is not right:\n${failures}")
endif()
message(STATUS "install tree in ${PREFIX} checked")
