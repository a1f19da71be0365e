# The licences of what the Windows program folder ships, as Windows text
# files (CRLF), so that Notepad shows them:
#   DIR\LICENSE.txt                 Ruvento's, the GPL-3.0
#   DIR\licenses\NOTICE.txt         every component: version, licence, source
#   DIR\licenses\...                the licences of Qt, of the third-party
#                                   code inside its DLLs and of the MinGW
#                                   runtime (GPL-3.0.txt, LGPL-3.0.txt, ...)
# Everything on Qt and the MinGW runtime is written at every configure by
# scripts/qt-notice.cmake, from what scripts/qt-windows.sh kept beside Qt, so
# that a change to it shows in the next build without a new Qt; it follows
# Ruvento's own part. A Qt from elsewhere gives a shorter notice and a
# warning, and the release stops.

set(licenses "${CMAKE_CURRENT_BINARY_DIR}/licenses")
file(REMOVE_RECURSE "${licenses}")

include("${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake")

file(READ "${PROJECT_SOURCE_DIR}/LICENSE" text)
ruvento_write_windows_text("${licenses}/LICENSE.txt" "${text}")

# What the notice cannot say; the release stops on any (make-release.cmake).
set(RUVENTO_NOTICE_GAPS "")
set(qt_notice "")
if(EXISTS "${RUVENTO_QT_PREFIX}/attribution/files-read.txt")
    set(qt_notice_dir "${CMAKE_CURRENT_BINARY_DIR}/qt-notice")
    set(qt_notice_script "${PROJECT_SOURCE_DIR}/scripts/qt-notice.cmake")
    execute_process(COMMAND "${CMAKE_COMMAND}" "-DPREFIX=${RUVENTO_QT_PREFIX}"
            "-DOUT=${qt_notice_dir}" "-DCXX=${CMAKE_CXX_COMPILER}" -P "${qt_notice_script}"
        COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        "${qt_notice_script}" "${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake")
    file(COPY "${qt_notice_dir}/licenses/" DESTINATION "${licenses}")
    file(READ "${qt_notice_dir}/NOTICE.txt" qt_notice)
else()
    message(WARNING "${RUVENTO_QT_PREFIX} was not built by scripts/qt-windows.sh: "
        "the notice names neither Qt's third-party code nor the MinGW runtime")
    list(APPEND RUVENTO_NOTICE_GAPS "Qt's third-party code and the MinGW runtime (Qt not built by scripts/qt-windows.sh)")
    file(COPY_FILE "${licenses}/LICENSE.txt" "${licenses}/GPL-3.0.txt")
endif()

# Qt's Italian translation comes from this machine's Debian package.
find_program(RUVENTO_DPKG_QUERY dpkg-query)
set(translations "")
if(RUVENTO_DPKG_QUERY)
    execute_process(COMMAND "${RUVENTO_DPKG_QUERY}" -W "-f=\${source:Version}" qt6-translations-l10n
        OUTPUT_VARIABLE translations ERROR_QUIET)
endif()
if(translations STREQUAL "")
    message(WARNING "No Debian version of qt6-translations-l10n: the notice names none")
    list(APPEND RUVENTO_NOTICE_GAPS "the version of Qt's Italian translation (no Debian qt6-translations-l10n)")
endif()

string(CONCAT notice
    "Ruvento ${RUVENTO_VERSION} for Windows: what it ships, under which licence, and\n"
    "where the source of each part is.\n"
    "\n"
    "Ruvento ${RUVENTO_VERSION}: ruvento.exe\n"
    "  Licence: GPL-3.0-or-later (LICENSE.txt)\n"
    "  Source: Ruvento-${RUVENTO_VERSION}-source.zip, in the release's sources folder\n"
    "\n"
    "Qt's Italian translation (qtbase_it.qm, inside ruvento.exe), Debian's\n"
    "qt6-translations-l10n ${translations}\n"
    "  Licence: LGPL-3.0-only (licenses\\LGPL-3.0.txt) or GPL-3.0 (licenses\\GPL-3.0.txt)\n"
    "  Source: Debian's source package qt6-translations ${translations}\n"
    "\n")
ruvento_write_windows_text("${licenses}/NOTICE.txt" "${notice}${qt_notice}")

install(FILES "${licenses}/LICENSE.txt" DESTINATION .)
install(DIRECTORY "${licenses}/" DESTINATION licenses PATTERN LICENSE.txt EXCLUDE)
