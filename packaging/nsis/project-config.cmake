# Read by CPack for each package it makes. The setup program has a name of its
# own, and no top folder: it installs into the folder its user chooses.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
