# The Windows build's tests run under Wine, in the project's own prefix
# (scripts/wine.sh), with Qt's and MinGW's DLL folders on its search path.
# Included only when cross-compiling for Windows with tests on.

set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/scripts/wine.sh")
string(REPLACE ";" ":" dll_dirs "${RUVENTO_WINDOWS_DLL_DIRS}")
list(APPEND RUVENTO_TEST_ENVIRONMENT "RUVENTO_WINE_DLL_DIRS=${dll_dirs}")

# Qt's offscreen platform on Windows reads fonts from one folder only; the
# tests get the face that stands in for Segoe UI on Linux too.
find_path(RUVENTO_TEST_FONT_DIR OpenSans-Regular.ttf
    PATHS /usr/share/fonts/truetype/open-sans NO_CMAKE_FIND_ROOT_PATH REQUIRED)
list(APPEND RUVENTO_TEST_ENVIRONMENT "QT_QPA_FONTDIR=Z:${RUVENTO_TEST_FONT_DIR}")
