#!/usr/bin/env bash
# Runs one Windows program of the cross build under Wine: CTest puts it in front of every test command
# of the Windows build. Headless: no debug chatter, and no display unless the caller brings one.
#
#   wine-run.sh [--dlls DIR:DIR...] [--qtest] PROGRAM [ARGUMENTS...]
#   wine-run.sh --prepare                 makes the prefix and nothing else
#
# --dlls names the folders of the DLLs the program loads (Qt's, the compiler's runtime); Wine looks in
# them after the program's own folder. A QtTest program (--qtest) gets its log as an argument, and its
# platform when QT_QPA_PLATFORM is set: Wine hands a Windows program no QT_* variable of the Unix
# environment, and QtTest's log on stdout never reaches Wine's output, so the log goes to a file that
# is printed when the program ends.
#
# WINEPREFIX is honoured when set (scripts/test-windows.sh makes a fresh one in a temporary folder);
# otherwise one prefix per user under the temporary folder is made on first use and kept.
set -uo pipefail
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX="${TMPDIR:-/tmp}/trel-wine-$(id -u)"
fi
export WINEDEBUG="${WINEDEBUG:--all}"
# No mono or browser engine offers on the first start of a prefix; the tests need neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=$(command -v wine64 || command -v wine || true)
if [ -z "$wine" ]; then
    echo "wine-run.sh: wine is not installed (bash scripts/test-windows.sh installs it)" >&2
    exit 127
fi

windows_path() { # /a/b -> Z:\a\b (the build machine's root is drive Z: under Wine)
    local p=${1//\//\\}
    printf 'Z:%s' "$p"
}

# A prefix is made once, before its first program runs; tests started in parallel wait for it. The
# mark is written only when the prefix is complete (Wine writes its own files there lazily). Qt's
# offscreen platform on Windows takes its fonts only from QT_QPA_FONTDIR, which a Windows program sees
# only in its own environment: the prefix's user environment names a folder holding only Liberation Sans
# Narrow, the font the layout uses on Linux, so that it stands in for Windows' MS Sans Serif (of the
# same widths) and the window tests measure the captions in the font they were laid out for.
ready="$WINEPREFIX/.trel-prefix-ready"
prepare() {
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            fonts=$WINEPREFIX/trel-fonts
            mkdir -p "$fonts" && ln -sf /usr/share/fonts/truetype/liberation/LiberationSansNarrow-*.ttf "$fonts/" &&
                wineboot -i >"$WINEPREFIX.log" 2>&1 &&
                "$wine" reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /t REG_SZ /f \
                    /d "$(windows_path "$fonts")" >>"$WINEPREFIX.log" 2>&1 &&
                touch "$ready"
        fi
    ) 9>"$WINEPREFIX.lock"
    if [ ! -f "$ready" ]; then
        echo "wine-run.sh: the Wine prefix $WINEPREFIX could not be made:" >&2
        cat "$WINEPREFIX.log" >&2
        return 1
    fi
}
if [ "${1:-}" = --prepare ]; then
    prepare
    exit
fi
[ -f "$ready" ] || prepare || exit 1

qtest=""
while :; do
    case ${1:-} in
    --dlls)
        path=""
        IFS=: read -ra dirs <<<"$2"
        for d in "${dirs[@]}"; do
            path+="${path:+;}$(windows_path "$d")"
        done
        export WINEPATH="$path${WINEPATH:+;$WINEPATH}"
        shift 2 ;;
    --qtest) qtest=1; shift ;;
    *) break ;;
    esac
done

if [ -z "$qtest" ]; then
    # Windows console programs end their lines with CR LF; the readers of the output here (CTest, the
    # test listing that finds the test names) expect LF.
    "$wine" "$@" | tr -d '\r'
    exit "${PIPESTATUS[0]}"
fi
log=$(mktemp "${TMPDIR:-/tmp}/trel-qtest.XXXXXX")
trap 'rm -f "$log"' EXIT
program=$1
shift
platform=()
[ -z "${QT_QPA_PLATFORM:-}" ] || platform=(-platform "$QT_QPA_PLATFORM")
"$wine" "$program" "${platform[@]}" "$@" -o "$(windows_path "$log"),txt" >/dev/null 2>&1
status=$?
tr -d '\r' <"$log"
exit "$status"
