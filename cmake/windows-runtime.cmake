# What a Windows build of Ruvento ships beside its own program: where Qt's
# DLLs and the MinGW runtime's (libstdc++, libgcc, winpthread) come from, and
# which DLLs are Windows' own. Included on Windows, native or cross; nothing
# here needs Wine.

set(RUVENTO_WINDOWS_DLL_DIRS "")
foreach(dll IN ITEMS libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${dll}
        OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}")
        message(FATAL_ERROR "The MinGW runtime ${dll} was not found beside ${CMAKE_CXX_COMPILER}")
    endif()
    get_filename_component(dir "${found}" DIRECTORY)
    list(APPEND RUVENTO_WINDOWS_DLL_DIRS "${dir}")
endforeach()
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(dir "${qt_core_dll}" DIRECTORY)
list(PREPEND RUVENTO_WINDOWS_DLL_DIRS "${dir}")
list(REMOVE_DUPLICATES RUVENTO_WINDOWS_DLL_DIRS)
# Qt's prefix, where scripts/qt-windows.sh also keeps its sources and notices.
get_filename_component(RUVENTO_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)

# Windows' own DLLs are those MinGW has an import library for
# (libkernel32.a, libuser32.a, ...): they are on every Windows and never ship.
execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=libkernel32.a
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT IS_ABSOLUTE "${found}")
    message(FATAL_ERROR "MinGW's import libraries were not found beside ${CMAKE_CXX_COMPILER}")
endif()
get_filename_component(RUVENTO_WINDOWS_IMPORT_LIB_DIR "${found}" DIRECTORY)

# The same commit gives the same files: no link time in the PE headers, no
# build folder in the binaries.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(
    "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=" "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
