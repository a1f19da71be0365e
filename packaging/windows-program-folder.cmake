# The Windows program folder: ruvento.exe with every DLL and Qt plug-in it
# loads, so that nothing else needs installing on the user's Windows, and the
# licences of all it ships.
#   DIR\ruvento.exe, DIR\Shared\Sistemi\, DIR\LICENSE.txt
#   DIR\*.dll                       Qt and the MinGW runtime
#   DIR\platforms\qwindows.dll      Qt's Windows platform plug-in
#   DIR\imageformats\qjpeg.dll      reads the window's picture
#   DIR\licenses\                   the licences of Qt and the MinGW runtime,
#                                   and NOTICE.txt, what ships and where its
#                                   source is
# The DLLs are found from the imports of the program and its plug-ins, so the
# list follows the build instead of being kept by hand. Nothing here needs
# Wine: a DLL that is neither Qt's nor MinGW's must be Windows' own.

install(TARGETS ruvento RUNTIME DESTINATION .)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin
    LIBRARY DESTINATION platforms RUNTIME DESTINATION platforms)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QJpegPlugin
    LIBRARY DESTINATION imageformats RUNTIME DESTINATION imageformats)

# PE imports name DLLs in any case, and CMake compares them in lower case; on
# a case-sensitive disk they are looked up through lower-case links.
set(dll_links "${CMAKE_CURRENT_BINARY_DIR}/dll-links")
file(REMOVE_RECURSE "${dll_links}")
file(MAKE_DIRECTORY "${dll_links}")
foreach(dir IN LISTS RUVENTO_WINDOWS_DLL_DIRS)
    file(GLOB dlls "${dir}/*.dll")
    foreach(dll IN LISTS dlls)
        get_filename_component(name "${dll}" NAME)
        string(TOLOWER "${name}" lower)
        # CMake 3.31 (Debian 13) looks them up in their own case.
        file(CREATE_LINK "${dll}" "${dll_links}/${name}" SYMBOLIC)
        if(NOT lower STREQUAL name)
            file(CREATE_LINK "${dll}" "${dll_links}/${lower}" SYMBOLIC)
        endif()
    endforeach()
endforeach()

install(CODE "
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES \"$<TARGET_FILE:ruvento>\"
        MODULES \"$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>\" \"$<TARGET_FILE:Qt6::QJpegPlugin>\"
        DIRECTORIES \"${dll_links}\"
        PRE_EXCLUDE_REGEXES \"^api-ms-\" \"^ext-ms-\"
        RESOLVED_DEPENDENCIES_VAR links
        UNRESOLVED_DEPENDENCIES_VAR system)
    foreach(dll IN LISTS system)
        string(TOLOWER \"\${dll}\" name)
        string(REGEX REPLACE \"[.]dll\$\" \"\" name \"\${name}\")
        if(NOT EXISTS \"${RUVENTO_WINDOWS_IMPORT_LIB_DIR}/lib\${name}.a\")
            message(FATAL_ERROR \"\${dll} is neither Qt's, MinGW's nor Windows' own: where does it come from?\")
        endif()
    endforeach()
    foreach(link IN LISTS links)
        file(REAL_PATH \"\${link}\" dll)
        file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}\" TYPE SHARED_LIBRARY FILES \"\${dll}\")
    endforeach()
    # The DLLs and plug-ins as shipped carry no debugging symbols. strip
    # stamps each PE header with SOURCE_DATE_EPOCH, which the release sets,
    # or else with the time.
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB_RECURSE shipped \"\${CMAKE_INSTALL_PREFIX}/*.dll\")
        foreach(dll IN LISTS shipped)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\" COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()
")

# Imports are read from the PE files with MinGW's objdump.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM "windows+pe")
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL "objdump")
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${CMAKE_OBJDUMP}")

include(windows-licenses.cmake)

# The zip of the program folder: Ruvento-<version>-win64.zip, one folder.
set(CPACK_PACKAGE_FILE_NAME "Ruvento-${RUVENTO_VERSION}-win64")
