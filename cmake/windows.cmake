# What the Windows build adds: where its DLLs come from, and running the
# test suites under Wine. Included only when cross-compiling for Windows.

# The MinGW runtime DLLs (libstdc++, libgcc, winpthread) beside the compiler.
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
# Qt's DLLs.
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(dir "${qt_core_dll}" DIRECTORY)
list(PREPEND RUVENTO_WINDOWS_DLL_DIRS "${dir}")
list(REMOVE_DUPLICATES RUVENTO_WINDOWS_DLL_DIRS)

# Tests run under Wine, in the project's own prefix, finding the DLLs above.
set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/scripts/wine.sh")
string(REPLACE ";" ":" RUVENTO_WINE_DLL_DIRS "${RUVENTO_WINDOWS_DLL_DIRS}")
set(RUVENTO_TEST_ENVIRONMENT "RUVENTO_WINE_DLL_DIRS=${RUVENTO_WINE_DLL_DIRS}")

# Qt's offscreen platform on Windows reads fonts from one folder only; the
# tests get the face that stands in for Segoe UI on Linux too.
find_path(RUVENTO_TEST_FONT_DIR OpenSans-Regular.ttf
    PATHS /usr/share/fonts/truetype/open-sans NO_CMAKE_FIND_ROOT_PATH REQUIRED)
list(APPEND RUVENTO_TEST_ENVIRONMENT "QT_QPA_FONTDIR=Z:${RUVENTO_TEST_FONT_DIR}")
