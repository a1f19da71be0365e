#!/usr/bin/env bash
# Builds Qt for Windows from Debian's own qtbase source, cross-compiled with
# mingw-w64, and installs it into a cache outside the clone. Prints the
# install prefix on its last line. Quick when the cache already holds it.
#
# The prefix is keyed by the Qt version and a hash of everything that shapes
# the build (the options below, the build steps of build_qt, the toolchain
# file, the Debian versions of the cross compiler, linker, MinGW headers,
# Qt's host tools, CMake and Ninja), so any change of these builds a new Qt
# beside the old one, and the release's build environment
# (scripts/buildinfo.sh) is also Qt's.
#
# Beside Qt, the prefix keeps what its release must ship or point to:
#   source/      Debian's qtbase source files it was built from, and
#                build-options.txt, the options below
#   attribution/ every qt_attribution.json of that source with the licence
#                files beside it, Qt's LICENSES/ and files-read.txt, the
#                source files the compiler read, which tell the third-party
#                code inside the DLLs from the rest: what each release build
#                writes its notice from (scripts/qt-notice.cmake), so that a
#                change to the notice never waits for a new Qt
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/settings.sh
source "$here/settings.sh"
toolchain="$here/../cmake/mingw-w64-x86_64.cmake"
triple="$(sed -n 's/^set(RUVENTO_MINGW_TRIPLE \([^ )]*\))$/\1/p' "$toolchain")"
[[ -n "$triple" ]] || { echo "qt-windows.sh: no RUVENTO_MINGW_TRIPLE in $toolchain" >&2; exit 1; }

# The same Qt as the Linux build, whose host tools (moc, rcc, uic) it uses.
version="$(ruvento_qt_version)"
upstream="${version%%+*}"

# Only what Ruvento uses: Core, Gui, Widgets, Test, the windows and offscreen
# platform plugins (offscreen needs FreeType) and the JPEG image plug-in, with
# Qt's bundled third-party libraries (Debian has none of them for mingw).
options=(
    -DCMAKE_BUILD_TYPE=Release
    # -Os: the DLLs are most of what a user downloads; nothing in the window
    # is bound by Qt's speed.
    -DFEATURE_optimize_size=ON
    -DBUILD_SHARED_LIBS=ON
    # No link time in the DLLs (their PE and export headers), so that two
    # builds give the same bytes, as cmake/windows-runtime.cmake does for
    # Ruvento.
    "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp"
    "-DCMAKE_MODULE_LINKER_FLAGS=-Wl,--no-insert-timestamp"
    "-DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp"
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_pkg_config=OFF
    # Ruvento builds with CMake: no qmake.exe.
    -DFEATURE_qmake=OFF
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_vulkan=OFF
    # No OpenGL at all, dynamic OpenGL included (configure's -no-opengl).
    -DINPUT_opengl=no
    # Debian's source has no src/3rdparty/wintab.
    -DFEATURE_tabletevent=OFF
    -DFEATURE_gif=OFF -DFEATURE_ico=OFF
    # Nothing asks for MIME types by file content, and no PDF is written: no
    # built-in MIME database, no PDF engine inside Qt6Gui.dll.
    -DFEATURE_mimetype_database=OFF -DFEATURE_pdf=OFF
    # The window uses Fusion: no plug-in with the Windows Vista and 11 styles.
    -DFEATURE_style_windowsvista=OFF -DFEATURE_style_windows11=OFF
    # No Markdown is shown or written (and so no bundled md4c).
    -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
    # Widgets the window never shows.
    -DFEATURE_graphicsview=OFF -DFEATURE_mdiarea=OFF -DFEATURE_dockwidget=OFF
    -DFEATURE_calendarwidget=OFF -DFEATURE_datetimeedit=OFF -DFEATURE_colordialog=OFF
    -DFEATURE_fontdialog=OFF -DFEATURE_wizard=OFF -DFEATURE_undocommand=OFF
    -DFEATURE_textodfwriter=OFF -DFEATURE_splashscreen=OFF -DFEATURE_lcdnumber=OFF
    -DFEATURE_dial=OFF -DFEATURE_keysequenceedit=OFF -DFEATURE_systemtrayicon=OFF
    # Qt's SPDX bill of materials ascribes every qt_attribution.json under a
    # module's folder to that module, compiled in or not, and names no licence
    # files: the notice is written from what the compiler read instead.
    -DQT_GENERATE_SBOM=OFF
)

# Fetches Debian's qt6-base source into WORK/source, builds and installs Qt
# into PREFIX, and keeps beside it its source, its options and what its
# notice is written from. Its own text is part of the cache key: a change to
# how Qt is built builds it anew.
build_qt() {
    local work="$1" prefix="$2"
    # Debian's source package, fetched through a private apt configuration so
    # that the machine's own sources stay as they are.
    local source_dir="$work/source"
    if [[ ! -f "$source_dir/.unpacked" ]]; then
        local apt_dir="$work/apt"
        mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts"
        # The machine's own Debian entries (scripts/settings.sh), as source
        # entries; no other source list is read.
        ruvento_debian_sources | while IFS=$'\t' read -r uri suite components key; do
            printf 'deb-src %s%s %s %s\n' "${key:+[signed-by=$key] }" "$uri" "$suite" "$components"
        done >"$apt_dir/sources.list"
        if [[ ! -s "$apt_dir/sources.list" ]]; then
            echo "qt-windows.sh: this machine's apt names no Debian archive to fetch qt6-base's source from" >&2
            exit 1
        fi
        local apt=(apt-get -q -o Dir::Etc::SourceList="$apt_dir/sources.list"
            -o Dir::Etc::SourceParts="$apt_dir/parts" -o Dir::State::Lists="$apt_dir/lists")
        "${apt[@]}" update >&2
        rm -rf "$source_dir" && mkdir -p "$source_dir"
        (cd "$source_dir" && "${apt[@]}" source "qt6-base=$version" >&2)
        touch "$source_dir/.unpacked"
    fi
    local src
    src="$(find "$source_dir" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)"
    if [[ -z "$src" ]]; then
        echo "qt-windows.sh: no qt6-base-* folder in $source_dir; remove $work and try again" >&2
        exit 1
    fi

    cmake -G Ninja -S "$src" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        "${options[@]}" >&2
    cmake --build "$work/build" --parallel "${RUVENTO_JOBS:-2}" >&2
    cmake --install "$work/build" >&2

    # The corresponding source, and the options that shaped this Qt.
    mkdir -p "$prefix/source"
    find "$source_dir" -maxdepth 1 -type f -name 'qt6-base_*' -exec cp {} "$prefix/source/" \;
    printf '%s\n' "$version" "${options[@]}" >"$prefix/source/build-options.txt"
    # What the release's notice is written from (packaging/windows-licenses.cmake):
    # the third-party notices and licences of the source, and which of that
    # code the DLLs were compiled from.
    mkdir -p "$prefix/attribution"
    (
        cd "$src"
        find . -name qt_attribution.json -printf '%h\0' | sort -zu \
            | xargs -0 -I{} find {} -maxdepth 2 -type f \( -name qt_attribution.json \
                -o -iname '*licen[cs]e*' -o -iname 'copying*' -o -iname '*copyright*' \) -printf '%p\0' \
            | xargs -0 cp --parents -t "$prefix/attribution/"
        cp -r LICENSES "$prefix/attribution/"
    )
    ninja -C "$work/build" -t deps | sed -n 's/^    //p' | sort -u \
        | (cd "$work/build" && xargs realpath -m --relative-to="$src") \
        | grep -v '^\.\./' | sort -u >"$prefix/attribution/files-read.txt"
}

# The key: this Qt's version and options, the build above, the toolchain
# file, and the Debian versions of the cross toolchain
# (scripts/packages-windows.txt), Qt's host tools and the build tools.
mapfile -t toolchain_packages < <("$here/setup.sh" --list windows | grep mingw)
if [[ ${#toolchain_packages[@]} -eq 0 ]]; then
    echo "qt-windows.sh: scripts/packages-windows.txt names no MinGW package" >&2
    exit 1
fi
toolchain_packages+=(qt6-base-dev-tools cmake ninja-build)
key="$( { printf '%s\n' "$version" "${options[@]}"; declare -f build_qt; cat "$toolchain"
          dpkg-query -W -f='${Package} ${Version}\n' "${toolchain_packages[@]}"; } \
        | sha256sum | cut -c1-12)"
prefix="$ruvento_cache/qt-$upstream-mingw64-$key"
if [[ -f "$prefix/.complete" ]]; then
    echo "$prefix"
    exit 0
fi
# One build of a prefix at a time: a second run waits for the first and then
# takes what it built.
mkdir -p "$ruvento_cache"
exec 9>"$prefix.lock"
flock 9
if [[ -f "$prefix/.complete" ]]; then
    echo "$prefix"
    exit 0
fi

work="$ruvento_cache/work-qt-$upstream-mingw64-$key"
mkdir -p "$work"
echo "Building Qt $upstream for Windows into $prefix (once; a quarter of an hour to half an hour on two quiet cores)" >&2
build_qt "$work" "$prefix"
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
