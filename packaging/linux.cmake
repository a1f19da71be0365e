# The Linux program folder's own files: the desktop entry, its icon and
# metainfo, and the script that adds the program to the user's menu.
#
# `cmake --install <build> --prefix DIR` lays out a self-contained program
# folder that its user can write into:
#   DIR/ruvento                     the program
#   DIR/Shared/Sistemi/             the reports, empty at first
#   DIR/install-desktop-entry.sh    adds the program to the user's menu
#   DIR/share/...                   desktop entry, icon and AppStream metainfo
# The program finds its data folder beside itself and links only the system's
# Qt, so the folder keeps working wherever it is moved or copied.

# One name for the desktop entry, the icon and the AppStream component.
set(RUVENTO_APP_ID "org.ruvento.Ruvento")
set(RUVENTO_APP_ID "${RUVENTO_APP_ID}" PARENT_SCOPE)
# The metainfo names its developer by the same reverse domain.
string(REGEX REPLACE "\\.[^.]*$" "" RUVENTO_DEVELOPER_ID "${RUVENTO_APP_ID}")

configure_file(ruvento.desktop.in "${RUVENTO_APP_ID}.desktop" @ONLY)
configure_file(ruvento.metainfo.xml.in "${RUVENTO_APP_ID}.metainfo.xml" @ONLY)
configure_file(install-desktop-entry.sh.in install-desktop-entry.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Only the system's Qt is linked; no search path into or above the folder,
# where a stray library could be picked up.
set_target_properties(ruvento PROPERTIES INSTALL_RPATH "")
install(TARGETS ruvento RUNTIME DESTINATION .)
install(PROGRAMS "${CMAKE_CURRENT_BINARY_DIR}/install-desktop-entry.sh" DESTINATION .)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/${RUVENTO_APP_ID}.desktop" DESTINATION share/applications)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/${RUVENTO_APP_ID}.metainfo.xml" DESTINATION share/metainfo)
install(FILES "${PROJECT_SOURCE_DIR}/resources/ruvento.png"
    DESTINATION share/icons/hicolor/48x48/apps
    RENAME "${RUVENTO_APP_ID}.png")

# `cpack` in the build folder: a .tar.gz holding one folder with the layout
# above, ready to unpack anywhere.
set(CPACK_GENERATOR "TGZ")
set(CPACK_PACKAGE_FILE_NAME "Ruvento-${RUVENTO_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
