# Writes the notice of what a Windows program folder with a Qt of
# scripts/qt-windows.sh ships besides its own program, as Windows text files
# (CRLF), on every configure of the Windows build (packaging/windows-licenses.cmake):
#   OUT/NOTICE.txt     Qt, the third-party code compiled into its DLLs, the
#                      MinGW runtime: version, licence and where its source is
#   OUT/licenses/      GPL-3.0.txt, LGPL-3.0.txt, GCC-exception-3.1.txt,
#                      winpthreads.txt and qt/<Id>.txt, each third-party part's
#   cmake -DPREFIX=<Qt for Windows> -DOUT=... -DCXX=<the cross compiler the
#         toolchain file names, as CMake found it> -P qt-notice.cmake
# Third-party parts come from the qt_attribution.json files and the licence
# files that qt-windows.sh keeps in PREFIX/attribution; a part is inside the
# DLLs when the compiler read one of its files (files-read.txt). The MinGW
# runtime's versions and terms come from the Debian packages that hold the
# DLLs the compiler links, so no package name is written here.

set(attribution "${PREFIX}/attribution")
set(licenses "${OUT}/licenses")
file(REMOVE_RECURSE "${OUT}")
if(NOT EXISTS "${attribution}/files-read.txt")
    message(FATAL_ERROR "${PREFIX} holds no attribution/files-read.txt: build Qt for Windows with scripts/qt-windows.sh")
endif()
if(CXX STREQUAL "" OR NOT EXISTS "${CXX}")
    message(FATAL_ERROR "No cross compiler to find the MinGW runtime with: '${CXX}' "
        "(CMAKE_CXX_COMPILER of cmake/mingw-w64-x86_64.cmake; scripts/setup.sh windows installs it)")
endif()
# Debian's qt6-base version this Qt was built from: the first line of its options.
file(STRINGS "${PREFIX}/source/build-options.txt" VERSION LIMIT_COUNT 1)
string(REGEX REPLACE "[+~-].*" "" upstream "${VERSION}")

include("${CMAKE_CURRENT_LIST_DIR}/../cmake/windows-text.cmake")

# FIELD (Version, or source:Version: a rebuild's "+b1" names no source) of
# the Debian package PACKAGE; none stops the notice.
function(ruvento_debian_version package field out)
    execute_process(COMMAND dpkg-query -W "-f=\${${field}}" "${package}"
        OUTPUT_VARIABLE version COMMAND_ERROR_IS_FATAL ANY)
    set(${out} "${version}" PARENT_SCOPE)
endfunction()

file(READ "${attribution}/LICENSES/GPL-3.0-only.txt" text)
ruvento_write_windows_text("${licenses}/GPL-3.0.txt" "${text}")
file(READ "${attribution}/LICENSES/LGPL-3.0-only.txt" text)
ruvento_write_windows_text("${licenses}/LGPL-3.0.txt" "${text}")

# FIELD of the JSON object ENTRY as text: a string as it is, an array's
# strings joined by SEPARATOR, nothing when absent.
function(ruvento_json_text entry field separator out)
    set(text "")
    string(JSON type ERROR_VARIABLE missing TYPE "${entry}" ${field})
    if(NOT missing AND type STREQUAL "ARRAY")
        string(JSON count LENGTH "${entry}" ${field})
        set(items "")
        if(count GREATER 0)
            math(EXPR last "${count} - 1")
            foreach(i RANGE ${last})
                string(JSON item GET "${entry}" ${field} ${i})
                list(APPEND items "${item}")
            endforeach()
        endif()
        list(JOIN items "${separator}" text)
    elseif(NOT missing)
        string(JSON text GET "${entry}" ${field})
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A part is inside the DLLs when the compiler read one of its files.
file(STRINGS "${attribution}/files-read.txt" read)
list(JOIN read "\n" read)
set(read "\n${read}\n")
set(third_party "")
file(GLOB_RECURSE jsons RELATIVE "${attribution}" "${attribution}/*qt_attribution.json")
list(SORT jsons)
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
        foreach(field IN ITEMS Id Name Version LicenseId Path)
            ruvento_json_text("${entry}" ${field} "" ${field})
        endforeach()
        ruvento_json_text("${entry}" Copyright "\n" Copyright)
        # Its licence texts, and its files or else its folder (a Path names either).
        ruvento_json_text("${entry}" CopyrightFile ";" texts)
        ruvento_json_text("${entry}" LicenseFile ";" licence)
        ruvento_json_text("${entry}" LicenseFiles ";" licences)
        list(APPEND texts ${licence} ${licences})
        ruvento_json_text("${entry}" Files ";" files)
        string(REPLACE " " ";" files "${files}")
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
        set(text_files "${texts}")
        set(texts "")
        foreach(file IN LISTS text_files)
            if(NOT EXISTS "${attribution}/${dir}/${file}")
                message(FATAL_ERROR "${dir}/${file}, named by ${json}, is not in ${attribution}")
            endif()
            file(READ "${attribution}/${dir}/${file}" text)
            string(APPEND texts "${text}\n")
        endforeach()
        if(NOT texts STREQUAL "")
            ruvento_write_windows_text("${licenses}/qt/${Id}.txt" "${texts}")
            string(APPEND third_party " (licenses\\qt\\${Id}.txt)")
        endif()
        string(APPEND third_party "\n")
        if(NOT Copyright STREQUAL "")
            string(APPEND third_party "    ${Copyright}\n")
        endif()
    endforeach()
endforeach()

# The Debian package holding the MinGW runtime's DLL, as CXX links it.
function(ruvento_runtime_package dll out)
    execute_process(COMMAND "${CXX}" -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    file(REAL_PATH "${path}" path)
    execute_process(COMMAND dpkg-query -S "${path}"
        OUTPUT_VARIABLE owner OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE ":.*" "" owner "${owner}")
    set(${out} "${owner}" PARENT_SCOPE)
endfunction()

# The MinGW runtime's own terms, from Debian's copyright files.
ruvento_runtime_package(libstdc++-6.dll gcc_package)
ruvento_runtime_package(libwinpthread-1.dll mingw_package)
ruvento_debian_version(${gcc_package} Version gcc_version)
ruvento_debian_version(${gcc_package} source:Version gcc_source)
ruvento_debian_version(${gcc_package} source:Package gcc_source_package)
ruvento_debian_version(${mingw_package} source:Version mingw_version)
ruvento_debian_version(${mingw_package} source:Package mingw_source_package)
file(READ /usr/share/doc/${gcc_package}/copyright text)
string(REGEX MATCH "GCC RUNTIME LIBRARY EXCEPTION.*requirements of the license of GCC[.]" exception "${text}")
if(exception STREQUAL "")
    message(FATAL_ERROR "No GCC Runtime Library Exception in ${gcc_package}'s copyright file")
endif()
ruvento_write_windows_text("${licenses}/GCC-exception-3.1.txt" "${exception}\n")
# The paragraphs on winpthreads, and the licence texts they name.
file(READ /usr/share/doc/${mingw_package}/copyright text)
string(REPLACE ";" "\\;" text "${text}")
string(REGEX REPLACE "\n\n+" ";" paragraphs "${text}")
set(notice "The terms of libwinpthread-1.dll, from Debian's copyright file of ${mingw_source_package}:\n")
set(names "")
foreach(paragraph IN LISTS paragraphs)
    if(paragraph MATCHES "^Files: mingw-w64-libraries/winpthreads/(src|include)"
       OR paragraph MATCHES "^Files: mingw-w64-libraries/winpthreads/[*]")
        string(APPEND notice "\n${paragraph}\n")
        string(REGEX MATCH "\nLicense: ([^\n]+)" line "${paragraph}")
        list(APPEND names "${CMAKE_MATCH_1}")
    endif()
endforeach()
if(names STREQUAL "")
    message(FATAL_ERROR "No winpthreads paragraphs in ${mingw_package}'s copyright file")
endif()
foreach(paragraph IN LISTS paragraphs)
    foreach(name IN LISTS names)
        if(paragraph MATCHES "^License: ${name}\n")
            string(APPEND notice "\n${paragraph}\n")
        endif()
    endforeach()
endforeach()
ruvento_write_windows_text("${licenses}/winpthreads.txt" "${notice}")

string(CONCAT notice
    "Qt ${upstream} (Debian's qt6-base ${VERSION}): Qt6Core.dll, Qt6Gui.dll,\n"
    "Qt6Widgets.dll, platforms\\qwindows.dll, imageformats\\qjpeg.dll\n"
    "  Licence: LGPL-3.0-only (licenses\\LGPL-3.0.txt) or GPL-3.0 (licenses\\GPL-3.0.txt)\n"
    "  Source: Debian's source package qt6-base ${VERSION}: the qt6-base_*\n"
    "    files in the release's sources folder, built with the options in\n"
    "    qt-build-options.txt there\n"
    "  Third-party code compiled into these DLLs, each under its own licence:\n"
    "${third_party}"
    "\n"
    "The GCC runtime: libstdc++-6.dll, libgcc_s_seh-1.dll, Debian's\n"
    "${gcc_package} ${gcc_version}\n"
    "  Licence: GPL-3.0-or-later with the GCC Runtime Library Exception 3.1\n"
    "  (licenses\\GPL-3.0.txt, licenses\\GCC-exception-3.1.txt)\n"
    "  Source: Debian's source package ${gcc_source_package} ${gcc_source}\n"
    "\n"
    "winpthreads: libwinpthread-1.dll, Debian's ${mingw_source_package} ${mingw_version}\n"
    "  Licence: MIT (Expat) and BSD-3-Clause (licenses\\winpthreads.txt)\n"
    "  Source: Debian's source package ${mingw_source_package} ${mingw_version}\n")
ruvento_write_windows_text("${OUT}/NOTICE.txt" "${notice}")
