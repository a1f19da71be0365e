#!/usr/bin/env bash
# Runs a Windows program under Wine in Ruvento's own Wine prefix, created on
# first use and kept in the cache outside the clone.
#   scripts/wine.sh PROGRAM.exe [ARGUMENTS...]
#   scripts/wine.sh --prefix        prints the prefix, creating it if need be
#   scripts/wine.sh --wait          waits until every program in it has ended
# RUVENTO_WINE_DLL_DIRS: folders (colon-separated, host paths) searched for
# DLLs, such as Qt's and the MinGW runtime's; the program's own folder always is.
# A QtTest program given "-o FILE,txt" has FILE printed after it ends: Wine
# loses QtTest's standard output when it is not a console.
set -euo pipefail
# shellcheck source=scripts/settings.sh
source "$(dirname "${BASH_SOURCE[0]}")/settings.sh"
cache="$ruvento_cache"
export WINEPREFIX="${RUVENTO_WINEPREFIX:-$cache/wine-prefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs: nothing here needs .NET or a browser.
# No winemenubuilder: a setup program's shortcuts stay in the prefix instead
# of landing in the host desktop's menu.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

# Wine takes the Windows user locale from the Unix one, which glibc must know:
# a locale asked for and not installed is compiled into the cache.
locale_name="${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}"
compile_locale=""
if [[ "$locale_name" == *_*.UTF-8 ]] && ! locale -a 2>/dev/null | grep -qix "${locale_name/UTF-8/utf8}"; then
    export LOCPATH="$cache/locales"
    [[ -d "$LOCPATH/$locale_name" ]] || compile_locale="$locale_name"
fi

mkdir -p "$cache"
(
    flock 9
    if [[ -n "$compile_locale" && ! -d "$LOCPATH/$compile_locale" ]]; then
        mkdir -p "$LOCPATH"
        # localedef warns about harmless quirks of glibc's sources on stdout.
        if ! localedef -i "${compile_locale%%.*}" -f UTF-8 "$LOCPATH/$compile_locale" >"$cache/localedef.log" 2>&1 \
            && [[ ! -f "$LOCPATH/$compile_locale/LC_CTYPE" ]]; then
            cat "$cache/localedef.log" >&2
            echo "wine.sh: could not compile the locale $compile_locale (is the 'locales' package installed?)" >&2
            exit 1
        fi
    fi
    # A prefix is marked ready only once wineboot has made it whole; one left
    # half-made by an interrupted or failed run is made again from scratch
    # (only our own: a prefix given by RUVENTO_WINEPREFIX is updated in place).
    if [[ ! -f "$WINEPREFIX/.ruvento-ready" ]]; then
        [[ "$WINEPREFIX" == "$cache/"* ]] && rm -rf "$WINEPREFIX"
        if ! wineboot --init >"$cache/wineboot.log" 2>&1 || ! wineserver -w; then
            cat "$cache/wineboot.log" >&2
            echo "wine.sh: could not create the Wine prefix $WINEPREFIX; see above, mend it and run again" >&2
            exit 1
        fi
        touch "$WINEPREFIX/.ruvento-ready"
    fi
    # The prefix keeps to itself: Wine links the user's Desktop, Documents and
    # the like to the host's home, where a setup program's shortcuts would land.
    for folder in "$WINEPREFIX"/drive_c/users/*/*; do
        if [[ -L "$folder" ]]; then
            rm "$folder"
            mkdir "$folder"
        fi
    done
) 9>"$cache/wine.lock"

case "${1:-}" in
--prefix)
    echo "$WINEPREFIX"
    exit 0
    ;;
--wait)
    exec wineserver -w
    ;;
esac

if [[ -n "${RUVENTO_WINE_DLL_DIRS:-}" ]]; then
    path=""
    IFS=: read -r -a dirs <<<"$RUVENTO_WINE_DLL_DIRS"
    for dir in "${dirs[@]}"; do
        path+="${path:+;}Z:${dir//\//\\}"
    done
    export WINEPATH="$path${WINEPATH:+;$WINEPATH}"
fi

# Wine keeps the host's QT_* variables (QT_QPA_PLATFORM, QT_SCALE_FACTOR) from
# Windows programs; it hands them on under the name WINEQT_*.
for name in $(compgen -e); do
    if [[ "$name" == QT_* ]]; then
        export "WINE$name=${!name}"
    fi
done

log=""
for ((i = 2; i <= $#; ++i)); do
    if [[ "${!i}" == -o ]]; then
        next=$((i + 1))
        output="${!next:-}"
        [[ "$output" == *,txt && "$output" != -,* ]] && log="${output%,txt}"
    fi
done

# The program keeps this process, so that whoever started it can tell its
# windows by process id.
[[ -z "$log" ]] && exec wine "$@"
status=0
wine "$@" || status=$?
if [[ -n "$log" && -f "$log" ]]; then
    cat "$log"
fi
exit "$status"
