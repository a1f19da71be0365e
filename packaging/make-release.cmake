# Makes the Windows release folder (see windows-release.cmake):
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DVERSION=... -DALLOW_DIRTY=...
#         -DNOTICE_GAPS=... -DQT_PREFIX=... -DCPACK=... -DSTRIP_NONDETERMINISM=...
#         -DUNSIGNED_SUMS=... -DSIGNED_SUMS=... -P make-release.cmake
# Beside the folder, BUILD_DIR/release.commit names the commit it was made
# from, when the work tree held no changes (scripts/reproducible.sh and
# scripts/sign-release.sh read it).
# With -DSIGNED=ON it makes the signed release, release/signed/, from the
# same build, and leaves the unsigned one as it is (see "Signed" below).
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
# - the source zip: git archive of the commit, only the files git tracks.
#
# It stops, saying why, where it cannot keep its promise: a work tree with
# uncommitted changes (unless the build allows one, its version marked
# -dirty), a notice that would lack a fact, a Qt without its source.

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

# The binaries are the work tree's: from uncommitted changes they would be
# dated and named as a commit they are not.
execute_process(COMMAND git -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
    OUTPUT_VARIABLE changes RESULT_VARIABLE failed ERROR_QUIET)
if(failed)
    message(FATAL_ERROR "${SOURCE_DIR} is no git work tree: a release is made from a commit")
endif()
if(NOT changes STREQUAL "" AND NOT ALLOW_DIRTY)
    message(FATAL_ERROR "The work tree has uncommitted changes:\n${changes}"
        "Commit them, or configure with -DRUVENTO_ALLOW_DIRTY=ON for a trial release marked -dirty")
endif()

# Every fact the notice names must be known (packaging/windows-licenses.cmake).
if(NOT "${NOTICE_GAPS}" STREQUAL "")
    message(FATAL_ERROR "The notice of what the release ships would lack: ${NOTICE_GAPS}")
endif()

# The release ships Qt's corresponding source, which only a Qt built by
# scripts/qt-windows.sh keeps beside itself.
if(NOT EXISTS "${QT_PREFIX}/source/build-options.txt")
    message(FATAL_ERROR "${QT_PREFIX} was not built by scripts/qt-windows.sh: the release would lack Qt's source")
endif()

set(out "${BUILD_DIR}/release")
set(pack "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${epoch}" TZ=UTC)

# The zip and the setup program, packed by CPack into WORK; ARGN goes to CPack.
function(pack_program_folder work)
    execute_process(COMMAND ${pack} "${CPACK}" -B "${work}" ${ARGN}
        WORKING_DIRECTORY "${BUILD_DIR}" COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB zips "${work}/*.zip")
    foreach(zip IN LISTS zips)
        execute_process(COMMAND ${pack} "${STRIP_NONDETERMINISM}" --type zip --timestamp "${epoch}" "${zip}"
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endfunction()

# The checksums of DIR's files into DIR/NAME, for `sha256sum -c NAME` there.
function(write_checksums dir name)
    file(GLOB_RECURSE shipped RELATIVE "${dir}" "${dir}/*")
    list(REMOVE_ITEM shipped "${name}")
    set(sums "")
    foreach(file IN LISTS shipped)
        file(SHA256 "${dir}/${file}" sum)
        string(APPEND sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE "${dir}/${name}" "${sums}")
endfunction()

# Signed: the same zip and setup program with every program file signed, in
# this order, each by scripts/sign-file.sh: the program folder's exe and
# DLLs once staged (sign-program-folder.cmake), the uninstaller while NSIS
# makes it (nsis/NSIS.template.in), the setup program once made. Each
# signature is attached from the tar that RUVENTO_SIGNATURES names, as
# anyone's build does, or made with the maintainer's key first
# (scripts/sign-release.sh). release/signed/ gets the signed zip and setup
# program, their checksums, and the signatures' tar, one .pem a signed file,
# named by its path in the installed folder (the setup program's by its own
# name). A signature that cannot be made or attached stops it before
# release/signed/ exists, so nothing half signed is left there.
if(SIGNED)
    if(NOT EXISTS "${out}/${UNSIGNED_SUMS}")
        message(FATAL_ERROR "No unsigned release in ${out} to sign: make the release first")
    endif()
    set(signed "${out}/signed")
    set(work "${BUILD_DIR}/release-work-signed")
    set(signatures "${work}/signatures")
    file(REMOVE_RECURSE "${signed}" "${work}")
    file(MAKE_DIRECTORY "${signatures}")
    set(sign_file "${SOURCE_DIR}/scripts/sign-file.sh")
    if(DEFINED ENV{RUVENTO_SIGNATURES})
        file(REAL_PATH "$ENV{RUVENTO_SIGNATURES}" tar)
        if(NOT EXISTS "${tar}")
            message(FATAL_ERROR "No signatures' tar ${tar} (RUVENTO_SIGNATURES)")
        endif()
        list(APPEND pack "RUVENTO_SIGNATURES=${tar}")
    endif()
    pack_program_folder("${work}" -D "CPACK_RUVENTO_SIGNATURES=${signatures}")
    file(GLOB zip "${work}/*-win64.zip")
    file(GLOB setup "${work}/*-setup.exe")
    get_filename_component(setup_name "${setup}" NAME)
    execute_process(COMMAND ${pack} "${sign_file}" "${signatures}" "${setup_name}" "${setup}"
        COMMAND_ERROR_IS_FATAL ANY)
    file(COPY "${zip}" "${setup}" DESTINATION "${signed}")
    write_checksums("${signed}" "${SIGNED_SUMS}")
    string(REGEX REPLACE "[.]zip$" "-signatures.tar" tar_name "${zip}")
    get_filename_component(tar_name "${tar_name}" NAME)
    if(DEFINED tar)
        file(COPY_FILE "${tar}" "${signed}/${tar_name}")
    else()
        file(GLOB_RECURSE made RELATIVE "${signatures}" "${signatures}/*.pem")
        list(SORT made)
        execute_process(COMMAND tar --format=gnu --owner=0 --group=0 --numeric-owner --mode=0644
                "--mtime=@${epoch}" -cf "${signed}/${tar_name}" ${made}
            WORKING_DIRECTORY "${signatures}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
    message(STATUS "Signed release: ${signed}")
    return()
endif()

set(work "${BUILD_DIR}/release-work")
file(REMOVE_RECURSE "${out}" "${work}" "${BUILD_DIR}/release.commit")
file(MAKE_DIRECTORY "${out}/sources" "${work}")

# Ruvento's source: the commit's tracked files, or, for a trial release, the
# work tree's changes to them too (git stash create records them as a commit
# without touching the tree).
execute_process(COMMAND git -C "${SOURCE_DIR}" stash create
    OUTPUT_VARIABLE source_commit OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(source_commit STREQUAL "")
    set(source_commit HEAD)
endif()
set(source_name "Ruvento-${VERSION}-source")
execute_process(COMMAND ${pack} git -C "${SOURCE_DIR}" archive --format=zip "--prefix=${source_name}/"
        "--output=${work}/${source_name}.zip" "${source_commit}"
    COMMAND_ERROR_IS_FATAL ANY)
pack_program_folder("${work}")

file(GLOB packages "${work}/*-win64.zip" "${work}/*-setup.exe")
file(GLOB sources "${work}/*-source.zip" "${QT_PREFIX}/source/qt6-base_*")
file(COPY ${packages} DESTINATION "${out}")
file(COPY ${sources} DESTINATION "${out}/sources")
# The Debian packages the release and its Qt were built with.
execute_process(COMMAND "${SOURCE_DIR}/scripts/buildinfo.sh" "${QT_PREFIX}/source"
    OUTPUT_FILE "${out}/sources/build-environment.buildinfo" COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE "${QT_PREFIX}/source/build-options.txt" "${out}/sources/qt-build-options.txt")

write_checksums("${out}" "${UNSIGNED_SUMS}")

# Untracked files stay out of the release: only tracked ones are built or packed.
execute_process(COMMAND git -C "${SOURCE_DIR}" rev-parse HEAD
    OUTPUT_VARIABLE commit RESULT_VARIABLE failed_head ERROR_QUIET)
if(NOT failed_head AND changes STREQUAL "")
    file(WRITE "${BUILD_DIR}/release.commit" "${commit}")
endif()
message(STATUS "Release: ${out}")
