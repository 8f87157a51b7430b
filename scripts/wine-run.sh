#!/usr/bin/env bash
# Runs one Windows program of the cross build under Wine: CTest puts it in front of every test command
# of the Windows build. Headless: no window, no display, no debug chatter.
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
# A prefix is made once, before its first program runs; tests started in parallel wait for it. The
# mark is written only when the prefix is complete (Wine writes its own files there lazily).
ready="$WINEPREFIX/.trel-prefix-ready"
if [ ! -f "$ready" ]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            wineboot -i >/dev/null 2>&1 && touch "$ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
# Windows console programs end their lines with CR LF; the readers of the output here (CTest, the
# test listing that finds the test names) expect LF.
"$wine" "$@" | tr -d '\r'
