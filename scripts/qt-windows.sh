#!/usr/bin/env bash
# Builds Qt for Windows from Debian's own qtbase source, cross-compiled with
# mingw-w64, and installs it into a cache outside the clone. Prints the
# install prefix on its last line. Quick when the cache already holds it.
#
# The prefix is keyed by the Qt version and a hash of everything that shapes
# the build (the options below, the toolchain file, the compiler), so a change
# of options builds a new Qt beside the old one.
#   RUVENTO_CACHE   the cache folder (default: ~/.cache/ruvento)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
toolchain="$here/../cmake/mingw-w64-x86_64.cmake"
cache="${RUVENTO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/ruvento}"

# The same Qt as the Linux build, whose host tools (moc, rcc, uic) it uses.
version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
upstream="${version%%+*}"

# Only what Ruvento uses: Core, Gui, Widgets, Test, the windows and offscreen
# platform plugins and the JPEG image plug-in, with Qt's bundled third-party
# libraries (Debian has none of them for mingw).
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_pkg_config=OFF
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_opengl=OFF
    # Qt 6.4.2's windows plugin refers to OpenGL classes unless this is off too.
    -DFEATURE_dynamicgl=OFF
    # Debian's source has no src/3rdparty/wintab.
    -DFEATURE_tabletevent=OFF
    -DFEATURE_gif=OFF -DFEATURE_ico=OFF
    # Widgets the window never shows.
    -DFEATURE_graphicsview=OFF -DFEATURE_mdiarea=OFF -DFEATURE_dockwidget=OFF
    -DFEATURE_calendarwidget=OFF -DFEATURE_datetimeedit=OFF -DFEATURE_colordialog=OFF
    -DFEATURE_fontdialog=OFF -DFEATURE_wizard=OFF -DFEATURE_undocommand=OFF
    -DFEATURE_textodfwriter=OFF -DFEATURE_splashscreen=OFF -DFEATURE_lcdnumber=OFF
    -DFEATURE_dial=OFF -DFEATURE_keysequenceedit=OFF -DFEATURE_systemtrayicon=OFF
)

key="$( { printf '%s\n' "$version" "${options[@]}"; cat "$toolchain"; x86_64-w64-mingw32-g++-posix --version; } \
        | sha256sum | cut -c1-12)"
prefix="$cache/qt-$upstream-mingw64-$key"
if [[ -f "$prefix/.complete" ]]; then
    echo "$prefix"
    exit 0
fi

work="$cache/work-qt-$upstream-mingw64-$key"
mkdir -p "$work"
echo "Building Qt $upstream for Windows into $prefix (once; about half an hour)" >&2

# Debian's source package, fetched through a private apt configuration so
# that the machine's own sources stay as they are.
source_dir="$work/source"
if [[ ! -f "$source_dir/.unpacked" ]]; then
    apt_dir="$work/apt"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts"
    # The machine's own Debian entries, turned into source entries.
    for f in /etc/apt/sources.list.d/*.sources; do
        if [[ -f "$f" ]] && grep -q 'debian' "$f"; then
            { sed 's/^Types:.*/Types: deb-src/' "$f"; echo; } >> "$apt_dir/parts/debian.sources"
        fi
    done
    if [[ -f /etc/apt/sources.list ]]; then
        sed -n 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list > "$apt_dir/sources.list"
    else
        : > "$apt_dir/sources.list"
    fi
    apt=(apt-get -q -o Dir::Etc::SourceList="$apt_dir/sources.list"
         -o Dir::Etc::SourceParts="$apt_dir/parts" -o Dir::State::Lists="$apt_dir/lists")
    "${apt[@]}" update >&2
    rm -rf "$source_dir" && mkdir -p "$source_dir"
    (cd "$source_dir" && "${apt[@]}" source "qt6-base=$version" >&2)
    touch "$source_dir/.unpacked"
fi
src="$(find "$source_dir" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)"

cmake -G Ninja -S "$src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${options[@]}" >&2
cmake --build "$work/build" --parallel "${RUVENTO_JOBS:-2}" >&2
cmake --install "$work/build" >&2
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
