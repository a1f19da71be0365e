# Run by CPack once the program folder is staged: writes the setup program's
# file list, ruvento-files.nsh, in a fixed (sorted) order, so the same folder
# gives the same setup program, the uninstaller removes exactly what was
# installed, and the setup program knows a folder holding only the release's
# own files and folders (one an interrupted setup left) as Ruvento's.
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
# Every file and folder of the release, empty folders included, each with
# its kind: RUVENTO_RELEASE_ENTRIES VISIT calls the macro VISIT with each.
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
    "${CPACK_TEMPORARY_DIRECTORY}/*")
set(release "!macro RUVENTO_RELEASE_ENTRIES VISIT\n")
foreach(entry IN LISTS entries)
    string(REPLACE "/" "\\" win "${entry}")
    set(kind file)
    if(IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}/${entry}")
        set(kind folder)
    endif()
    string(APPEND release "  !insertmacro \${VISIT} \"\\${win}\" ${kind}\n")
endforeach()
file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/ruvento-files.nsh"
    "${install}!macroend\n${delete}!macroend\n${release}!macroend\n")
