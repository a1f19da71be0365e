# `cmake --build <build> --target release`: the Windows release folder,
# <build>/release, with what a download page offers and its checksums:
#   Ruvento-<version>-win64.zip          the program folder
#   Ruvento-<version>-win64-setup.exe    the setup program
#   sources/                             the corresponding source: Ruvento's,
#                                        and Debian's qtbase that Qt was built
#                                        from, with its build options and
#                                        build-environment.buildinfo, the
#                                        Debian packages it was built with
#   SHA256SUMS-unsigned                  their checksums, for sha256sum -c
#   signed/                              with target signed-release: the
#                                        zip and setup program signed, their
#                                        SHA256SUMS-signed and the
#                                        signatures' tar
# Two builds of the same commit give the same bytes: see make-release.cmake.

find_program(RUVENTO_STRIP_NONDETERMINISM strip-nondeterminism)
# The two checksum files' names, whose home is scripts/settings.sh.
foreach(kind IN ITEMS unsigned signed)
    file(STRINGS "${PROJECT_SOURCE_DIR}/scripts/settings.sh" ${kind}_sums REGEX "^ruvento_${kind}_sums=")
    string(REPLACE "ruvento_${kind}_sums=" "" ${kind}_sums "${${kind}_sums}")
endforeach()
list(JOIN RUVENTO_NOTICE_GAPS ", " notice_gaps)
set(make_release "${CMAKE_COMMAND}"
    "-DBUILD_DIR=${CMAKE_BINARY_DIR}"
    "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "-DVERSION=${RUVENTO_VERSION}"
    "-DALLOW_DIRTY=${RUVENTO_ALLOW_DIRTY}"
    "-DNOTICE_GAPS=${notice_gaps}"
    "-DQT_PREFIX=${RUVENTO_QT_PREFIX}"
    "-DCPACK=${CMAKE_CPACK_COMMAND}"
    "-DSTRIP_NONDETERMINISM=${RUVENTO_STRIP_NONDETERMINISM}"
    "-DUNSIGNED_SUMS=${unsigned_sums}"
    "-DSIGNED_SUMS=${signed_sums}")
add_custom_target(release
    COMMAND ${make_release} -P "${CMAKE_CURRENT_SOURCE_DIR}/make-release.cmake"
    DEPENDS ruvento
    COMMENT "Packing the Windows release into ${CMAKE_BINARY_DIR}/release"
    VERBATIM)
# `cmake --build <build> --target signed-release`, after `release`: the same
# zip and setup program signed, in <build>/release/signed, with the
# signatures attached from the tar named by RUVENTO_SIGNATURES or made with
# the maintainer's key (scripts/sign-release.sh). Nothing of either goes into
# the build's cache: both come from the environment when the target runs.
add_custom_target(signed-release
    COMMAND ${make_release} -DSIGNED=ON -P "${CMAKE_CURRENT_SOURCE_DIR}/make-release.cmake"
    COMMENT "Packing the signed Windows release into ${CMAKE_BINARY_DIR}/release/signed"
    VERBATIM)
