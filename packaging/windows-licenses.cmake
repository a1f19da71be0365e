# The licences of what the Windows program folder ships, as Windows text
# files (CRLF), so that Notepad shows them:
#   DIR\LICENSE.txt                 Ruvento's, the GPL-3.0
#   DIR\licenses\GPL-3.0.txt        Qt (or LGPL-3.0), the GCC runtime
#   DIR\licenses\LGPL-3.0.txt       Qt and its Italian translation
#   DIR\licenses\GCC-exception-3.1.txt  the GCC runtime's exception
#   DIR\licenses\winpthreads.txt    libwinpthread's notice
#   DIR\licenses\qt\<Id>.txt        the licence of each third-party part
#                                   compiled into Qt's DLLs
#   DIR\licenses\NOTICE.txt         every component: version, licence, source
# Qt's third-party parts and its licence texts come from the attribution
# folder that scripts/qt-windows.sh keeps beside the Qt it builds; versions
# come from the Debian packages used. A Qt from elsewhere, or a machine
# without Debian's packages, gives a shorter notice and a warning.

set(licenses "${CMAKE_CURRENT_BINARY_DIR}/licenses")
file(REMOVE_RECURSE "${licenses}")

# Writes TEXT as a Windows text file DIR\licenses\NAME (or DIR\NAME).
function(ruvento_windows_text path text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${licenses}/${path}" "${text}")
endfunction()

# The Debian version of PACKAGE, or "" where there is no dpkg.
function(ruvento_debian_version package out)
    set(version "")
    find_program(RUVENTO_DPKG_QUERY dpkg-query)
    if(RUVENTO_DPKG_QUERY)
        execute_process(COMMAND "${RUVENTO_DPKG_QUERY}" -W "-f=\${Version}" "${package}"
            OUTPUT_VARIABLE version ERROR_QUIET)
    endif()
    if(version STREQUAL "")
        message(WARNING "No Debian version of ${package}: the notice names none")
    endif()
    set(${out} "${version}" PARENT_SCOPE)
endfunction()

file(READ "${PROJECT_SOURCE_DIR}/LICENSE" gpl)
ruvento_windows_text(LICENSE.txt "${gpl}")
ruvento_windows_text(GPL-3.0.txt "${gpl}")

# Qt: where it was built from, and which third-party code it holds.
set(attribution "${RUVENTO_QT_PREFIX}/attribution")
set(qt_line "Qt ${Qt6_VERSION}")
set(qt_source "the Qt ${Qt6_VERSION} source of the Qt it was built with")
set(third_party "")
if(EXISTS "${attribution}/files-read.txt" AND EXISTS "${RUVENTO_QT_PREFIX}/source/build-options.txt")
    file(STRINGS "${RUVENTO_QT_PREFIX}/source/build-options.txt" qt_debian_version LIMIT_COUNT 1)
    string(APPEND qt_line " (Debian's qt6-base ${qt_debian_version})")
    string(CONCAT qt_source "Debian's source package qt6-base ${qt_debian_version}: the qt6-base_*\n"
        "    files in the release's sources folder, built with the options in\n"
        "    qt-build-options.txt there")
    file(READ "${attribution}/LICENSES/LGPL-3.0-only.txt" lgpl)
    ruvento_windows_text(LGPL-3.0.txt "${lgpl}")

    # A part is inside the DLLs when the compiler read one of its files.
    file(STRINGS "${attribution}/files-read.txt" read)
    list(JOIN read "\n" read)
    set(read "\n${read}\n")
    file(GLOB_RECURSE jsons RELATIVE "${attribution}" "${attribution}/*qt_attribution.json")
    foreach(json IN LISTS jsons)
        get_filename_component(dir "${json}" DIRECTORY)
        file(READ "${attribution}/${json}" content)
        string(JSON type TYPE "${content}")
        set(count 1)
        if(type STREQUAL "ARRAY")
            string(JSON count LENGTH "${content}")
        endif()
        math(EXPR last "${count} - 1")
        foreach(i RANGE ${last})
            set(entry "${content}")
            if(type STREQUAL "ARRAY")
                string(JSON entry GET "${content}" ${i})
            endif()
            foreach(field IN ITEMS Id Name Version LicenseId LicenseFile Copyright CopyrightFile Files Path)
                string(JSON ${field} ERROR_VARIABLE missing GET "${entry}" ${field})
                if(missing)
                    set(${field} "")
                endif()
            endforeach()
            # Its licence texts: one file, or a list of them.
            string(JSON licence_count ERROR_VARIABLE missing LENGTH "${entry}" LicenseFiles)
            if(NOT missing AND licence_count GREATER 0)
                math(EXPR last_licence "${licence_count} - 1")
                foreach(j RANGE ${last_licence})
                    string(JSON licence GET "${entry}" LicenseFiles ${j})
                    list(APPEND LicenseFile "${licence}")
                endforeach()
            endif()
            # Its files, or else its folder (a Path names either).
            string(REPLACE " " ";" files "${Files}")
            if(files STREQUAL "")
                set(files "${Path}")
            endif()
            list(TRANSFORM files PREPEND "${dir}/")
            if(NOT files)
                set(files "${dir}/")
            endif()
            set(used FALSE)
            foreach(file IN LISTS files)
                string(FIND "${read}" "\n${file}" at)
                if(at GREATER -1)
                    set(used TRUE)
                    break()
                endif()
            endforeach()
            if(NOT used OR Id STREQUAL "")
                continue()
            endif()
            string(STRIP "${Copyright}" Copyright)
            string(REGEX REPLACE "\n[ \t]*" "\n      " Copyright "${Copyright}")
            string(APPEND third_party "  - ${Name}")
            if(NOT Version STREQUAL "")
                string(APPEND third_party " ${Version}")
            endif()
            string(APPEND third_party "\n    Licence: ${LicenseId}")
            set(texts "")
            foreach(file IN LISTS CopyrightFile LicenseFile)
                if(EXISTS "${attribution}/${dir}/${file}")
                    file(READ "${attribution}/${dir}/${file}" text)
                    string(APPEND texts "${text}\n")
                else()
                    message(WARNING "${dir}/${file}, named by ${json}, is not in ${attribution}")
                endif()
            endforeach()
            if(NOT texts STREQUAL "")
                ruvento_windows_text("qt/${Id}.txt" "${texts}")
                string(APPEND third_party " (licenses\\qt\\${Id}.txt)")
            endif()
            string(APPEND third_party "\n")
            if(NOT Copyright STREQUAL "")
                string(APPEND third_party "    ${Copyright}\n")
            endif()
        endforeach()
    endforeach()
else()
    message(WARNING "${RUVENTO_QT_PREFIX} was not built by scripts/qt-windows.sh: "
        "the notice cannot list the third-party code inside Qt's DLLs, nor ship the LGPL text")
endif()

# The MinGW runtime's own terms, from Debian's copyright files.
ruvento_debian_version(gcc-mingw-w64-x86-64-posix-runtime gcc_version)
ruvento_debian_version(mingw-w64-x86-64-dev mingw_version)
ruvento_debian_version(qt6-translations-l10n translations_version)
set(gcc_copyright /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright)
set(mingw_copyright /usr/share/doc/mingw-w64-x86-64-dev/copyright)
if(EXISTS "${gcc_copyright}" AND EXISTS "${mingw_copyright}")
    file(READ "${gcc_copyright}" text)
    string(REGEX MATCH "GCC RUNTIME LIBRARY EXCEPTION.*requirements of the license of GCC[.]" exception "${text}")
    ruvento_windows_text(GCC-exception-3.1.txt "${exception}\n")
    # The paragraphs on winpthreads, and the licence texts they name.
    file(READ "${mingw_copyright}" text)
    string(REPLACE ";" "\\;" text "${text}")
    string(REGEX REPLACE "\n\n+" ";" paragraphs "${text}")
    set(notice "The terms of libwinpthread-1.dll, from Debian's copyright file of mingw-w64:\n")
    set(names "")
    foreach(paragraph IN LISTS paragraphs)
        if(paragraph MATCHES "^Files: mingw-w64-libraries/winpthreads/(src|include)"
           OR paragraph MATCHES "^Files: mingw-w64-libraries/winpthreads/[*]")
            string(APPEND notice "\n${paragraph}\n")
            string(REGEX MATCH "\nLicense: ([^\n]+)" line "${paragraph}")
            list(APPEND names "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    foreach(paragraph IN LISTS paragraphs)
        foreach(name IN LISTS names)
            if(paragraph MATCHES "^License: ${name}\n")
                string(APPEND notice "\n${paragraph}\n")
            endif()
        endforeach()
    endforeach()
    ruvento_windows_text(winpthreads.txt "${notice}")
else()
    message(WARNING "Debian's copyright files of the MinGW runtime are missing: its notices are not shipped")
endif()

string(CONCAT notice
    "Ruvento ${PROJECT_VERSION} for Windows: what it ships, under which licence, and\n"
    "where the source of each part is.\n"
    "\n"
    "Ruvento ${PROJECT_VERSION}: ruvento.exe\n"
    "  Licence: GPL-3.0-or-later (LICENSE.txt)\n"
    "  Source: Ruvento-${PROJECT_VERSION}-source.zip, in the release's sources folder\n"
    "\n"
    "${qt_line}: Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll,\n"
    "platforms\\qwindows.dll, imageformats\\qjpeg.dll\n"
    "  Licence: LGPL-3.0-only (licenses\\LGPL-3.0.txt) or GPL-3.0 (licenses\\GPL-3.0.txt)\n"
    "  Source: ${qt_source}\n"
    "  Third-party code compiled into these DLLs, each under its own licence:\n"
    "${third_party}"
    "\n"
    "Qt's Italian translation (qtbase_it.qm, inside ruvento.exe), Debian's\n"
    "qt6-translations-l10n ${translations_version}\n"
    "  Licence: LGPL-3.0-only (licenses\\LGPL-3.0.txt) or GPL-3.0 (licenses\\GPL-3.0.txt)\n"
    "  Source: Debian's source package qt6-translations ${translations_version}\n"
    "\n"
    "The GCC runtime: libstdc++-6.dll, libgcc_s_seh-1.dll, Debian's\n"
    "gcc-mingw-w64 ${gcc_version}\n"
    "  Licence: GPL-3.0-or-later with the GCC Runtime Library Exception 3.1\n"
    "  (licenses\\GPL-3.0.txt, licenses\\GCC-exception-3.1.txt)\n"
    "  Source: Debian's source package gcc-mingw-w64 ${gcc_version}\n"
    "\n"
    "winpthreads: libwinpthread-1.dll, Debian's mingw-w64 ${mingw_version}\n"
    "  Licence: MIT (Expat) and BSD-3-Clause (licenses\\winpthreads.txt)\n"
    "  Source: Debian's source package mingw-w64 ${mingw_version}\n")
ruvento_windows_text(NOTICE.txt "${notice}")

install(FILES "${licenses}/LICENSE.txt" DESTINATION .)
install(DIRECTORY "${licenses}/" DESTINATION licenses PATTERN LICENSE.txt EXCLUDE)
