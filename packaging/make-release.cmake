# Makes the Windows release folder (see windows-release.cmake):
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DSOURCE_TREE=... -DQT_PREFIX=...
#         -DCPACK=... -DSTRIP_NONDETERMINISM=... -P make-release.cmake
# Beside the folder, BUILD_DIR/release.commit names the commit it was made
# from, when the work tree held no changes (scripts/reproducible.sh reads it).
#
# What would make two builds of one commit differ, and what closes it:
# - times: every time written (PE headers stamped by strip, zip entries,
#   gzip headers) is the commit's, through SOURCE_DATE_EPOCH; the linker
#   writes none, and rcc none (see cmake/windows-runtime.cmake and
#   ui/CMakeLists.txt);
# - local time: zip entries carry local times, so packing runs in UTC;
# - zip entry order and owner ids: strip-nondeterminism sorts the entries
#   and clears the owners;
# - the setup program's file order: packaging/nsis/files.cmake sorts it;
# - the source zip: only the files git tracks, not what a work tree holds
#   besides.

if(NOT STRIP_NONDETERMINISM)
    message(FATAL_ERROR "No strip-nondeterminism (Debian's package): the zips' entry order would be left to chance")
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
    if(failed OR NOT epoch MATCHES "^[0-9]+$")
        message(FATAL_ERROR "No git history to date the release by: set SOURCE_DATE_EPOCH")
    endif()
endif()

# The release ships Qt's corresponding source, which only a Qt built by
# scripts/qt-windows.sh keeps beside itself.
if(NOT EXISTS "${QT_PREFIX}/source/build-options.txt")
    message(FATAL_ERROR "${QT_PREFIX} was not built by scripts/qt-windows.sh: the release would lack Qt's source")
endif()

set(out "${BUILD_DIR}/release")
set(work "${BUILD_DIR}/release-work")
file(REMOVE_RECURSE "${out}" "${work}" "${SOURCE_TREE}" "${BUILD_DIR}/release.commit")
file(MAKE_DIRECTORY "${out}/sources")

execute_process(COMMAND git -C "${SOURCE_DIR}" -c core.quotePath=off ls-files
    OUTPUT_VARIABLE tracked RESULT_VARIABLE failed ERROR_QUIET)
if(failed)
    file(COPY "${SOURCE_DIR}/" DESTINATION "${SOURCE_TREE}" PATTERN .git EXCLUDE PATTERN build EXCLUDE)
else()
    string(REGEX REPLACE "\n$" "" tracked "${tracked}")
    string(REPLACE "\n" ";" tracked "${tracked}")
    foreach(file IN LISTS tracked)
        get_filename_component(dir "${file}" DIRECTORY)
        file(COPY "${SOURCE_DIR}/${file}" DESTINATION "${SOURCE_TREE}/${dir}")
    endforeach()
endif()

set(pack "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${epoch}" TZ=UTC)
execute_process(COMMAND ${pack} "${CPACK}" -B "${work}"
    WORKING_DIRECTORY "${BUILD_DIR}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${pack} "${CPACK}" --config CPackSourceConfig.cmake -B "${work}"
    WORKING_DIRECTORY "${BUILD_DIR}" COMMAND_ERROR_IS_FATAL ANY)

file(GLOB zips "${work}/*.zip")
foreach(zip IN LISTS zips)
    execute_process(COMMAND ${pack} "${STRIP_NONDETERMINISM}" --type zip --timestamp "${epoch}" "${zip}"
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(GLOB packages "${work}/*-win64.zip" "${work}/*-setup.exe")
file(GLOB sources "${work}/*-source.zip" "${QT_PREFIX}/source/qt6-base_*")
file(COPY ${packages} DESTINATION "${out}")
file(COPY ${sources} DESTINATION "${out}/sources")
# The Debian packages the release and its Qt were built with.
execute_process(COMMAND "${SOURCE_DIR}/scripts/buildinfo.sh" "${QT_PREFIX}/source"
    OUTPUT_FILE "${out}/sources/build-environment.buildinfo" COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE "${QT_PREFIX}/source/build-options.txt" "${out}/sources/qt-build-options.txt")

file(GLOB_RECURSE shipped RELATIVE "${out}" "${out}/*")
set(sums "")
foreach(file IN LISTS shipped)
    file(SHA256 "${out}/${file}" sum)
    string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE "${out}/SHA256SUMS" "${sums}")

# Untracked files stay out of the release: only tracked ones are built or packed.
execute_process(COMMAND git -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
    OUTPUT_VARIABLE changes RESULT_VARIABLE failed ERROR_QUIET)
execute_process(COMMAND git -C "${SOURCE_DIR}" rev-parse HEAD
    OUTPUT_VARIABLE commit RESULT_VARIABLE failed_head ERROR_QUIET)
if(NOT failed AND NOT failed_head AND changes STREQUAL "")
    file(WRITE "${BUILD_DIR}/release.commit" "${commit}")
endif()
message(STATUS "Release: ${out}")
