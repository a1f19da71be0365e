# The Windows setup program, Ruvento-<version>-win64-setup.exe, made by CPack
# with NSIS (Debian's nsis: makensis runs here, no Windows needed) from a
# template of the project's own, nsis/NSIS.template.in: per user, no
# administrator rights, Italian pages with Ruvento's own picture, Start-menu
# entries for the program and its reports, a desktop entry to choose, an
# entry under "Installed apps", and reports kept when uninstalling.

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_MODULE_PATH "${CMAKE_CURRENT_SOURCE_DIR}/nsis")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# In a signed release the program folder's exe and DLLs are signed once
# staged, before the zip or the setup program takes them, and the uninstaller
# as NSIS makes it, each by scripts/sign-file.sh; make-release.cmake then
# names the signatures' folder, CPACK_RUVENTO_SIGNATURES.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_SOURCE_DIR}/sign-program-folder.cmake"
    "${CMAKE_CURRENT_SOURCE_DIR}/nsis/files.cmake")
set(CPACK_RUVENTO_SIGN_FILE "${PROJECT_SOURCE_DIR}/scripts/sign-file.sh")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_SOURCE_DIR}/nsis/project-config.cmake")
# The template's own variables (CPack hands it only CPACK_* ones).
set(CPACK_RUVENTO_ICON "${PROJECT_SOURCE_DIR}/resources/ruvento.ico")
set(CPACK_RUVENTO_DATA_FOLDER "${RUVENTO_DATA_FOLDER}")
get_filename_component(CPACK_RUVENTO_DATA_PARENT "${RUVENTO_DATA_FOLDER}" DIRECTORY)
get_filename_component(CPACK_RUVENTO_DATA_NAME "${RUVENTO_DATA_FOLDER}" NAME)
set(CPACK_RUVENTO_LICENSE "${CMAKE_CURRENT_BINARY_DIR}/licenses/LICENSE.txt")
# The welcome and finish pages' picture (164 x 314, as NSIS wants it), made
# from the icon and the window's strip of balls on the window's grey:
#   convert -size 164x314 xc:'srgb(192,192,192)' \
#     \( ruvento.png -filter Lanczos -resize 112x112 \) -gravity north -geometry +0+70 -composite \
#     \( image1@2x.jpg -resize 148x \) -gravity north -geometry +0+210 -composite \
#     -type TrueColor BMP3:setup.bmp
set(CPACK_RUVENTO_WELCOME_BITMAP "${PROJECT_SOURCE_DIR}/resources/setup.bmp")
