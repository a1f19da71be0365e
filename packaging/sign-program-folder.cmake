# Run by CPack once the program folder is staged and before it is packed,
# for the zip and the setup program alike. In a signed release (see
# make-release.cmake) every exe and DLL of the folder gets its signature,
# named by its path in the folder.
if(NOT CPACK_RUVENTO_SIGNATURES)
    return()
endif()

file(GLOB_RECURSE programs LIST_DIRECTORIES false RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
    "${CPACK_TEMPORARY_DIRECTORY}/*.exe" "${CPACK_TEMPORARY_DIRECTORY}/*.dll")
if(NOT programs)
    message(FATAL_ERROR "No exe or DLL to sign in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
list(SORT programs)
foreach(program IN LISTS programs)
    execute_process(COMMAND "${CPACK_RUVENTO_SIGN_FILE}" "${CPACK_RUVENTO_SIGNATURES}" "${program}"
        "${CPACK_TEMPORARY_DIRECTORY}/${program}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
