# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads,
# which Qt's std::thread needs). Used for Qt itself and for Ruvento.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RUVENTO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RUVENTO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RUVENTO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RUVENTO_MINGW_TRIPLE}-windres)

# Qt's build-time tools (moc, rcc, uic) are the host's, from Debian's Qt.
set(QT_HOST_PATH /usr CACHE PATH "Host Qt whose tools the cross build runs")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "CMake packages of the host Qt")

# Libraries and headers come from the mingw sysroot and the prefixes given
# (Qt for Windows); programs run at build time are the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${RUVENTO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
