# Run by CPack once the program folder is staged: writes the setup program's
# file list, ruvento-files.nsh, in a fixed (sorted) order, so the same folder
# gives the same setup program, and the uninstaller removes exactly what was
# installed.
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
    return()
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
    "${CPACK_TEMPORARY_DIRECTORY}/*")
set(install "!macro RUVENTO_INSTALL_FILES\n")
set(delete "!macro RUVENTO_DELETE_FILES\n")
set(dirs "")
set(current "-")
foreach(file IN LISTS files)
    get_filename_component(dir "${file}" DIRECTORY)
    string(REPLACE "/" "\\" win "${file}")
    if(NOT dir STREQUAL current)
        set(current "${dir}")
        string(REPLACE "/" "\\" windir "\\${dir}")
        if(dir STREQUAL "")
            set(windir "")
        else()
            list(APPEND dirs "${windir}")
        endif()
        string(APPEND install "  SetOutPath \"$INSTDIR${windir}\"\n")
    endif()
    string(APPEND install "  File \"\${INST_DIR}/${file}\"\n")
    string(APPEND delete "  Delete \"$INSTDIR\\${win}\"\n")
endforeach()
string(APPEND install "  SetOutPath \"$INSTDIR\"\n")
# Deepest folders first; a folder the user added to stays.
list(REMOVE_DUPLICATES dirs)
list(SORT dirs ORDER DESCENDING)
foreach(dir IN LISTS dirs)
    string(APPEND delete "  RMDir \"$INSTDIR${dir}\"\n")
endforeach()
file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/ruvento-files.nsh" "${install}!macroend\n${delete}!macroend\n")
