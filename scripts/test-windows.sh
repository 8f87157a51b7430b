#!/usr/bin/env bash
# The Windows leg: builds all of Trel as Windows programs with MinGW-w64 against Qt for Windows
# (scripts/build-windows.sh; Qt is built once and kept in a cache), runs every test under Wine through CTest,
# headless, in a fresh Wine prefix made in a temporary folder, then packs the zip and starts its
# trel.exe on the windows platform on a virtual display until the main window shows. Installs what is
# missing from Debian's packages.
#
#   bash scripts/test-windows.sh
# The zip goes where scripts/package.sh puts it (build/packages/, TREL_BUILD_DIR/packages/).
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
elapsed() { echo $(($(date +%s) - $1)); }

bash scripts/install-deps.sh wine wine64 fonts-liberation xvfb xdotool imagemagick zip unzip
install_seconds=$(elapsed "$started")

build_started=$(date +%s)
build=$(realpath -m "${TREL_WINDOWS_BUILD_DIR:-build-windows}")
TREL_BENCH=OFF bash scripts/build-windows.sh
build_seconds=$(elapsed "$build_started")

test_started=$(date +%s)
# A prefix of its own for every run, so nothing from an earlier run or the user's own prefix counts.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/trel-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The tests bring their own platform (offscreen); the black-box start below its own display.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
xvfb=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$WINEPREFIX.log" "${demo:-}"
}
trap cleanup EXIT
# One Wine server for all the tests, and the prefix made once before they start in parallel.
wineserver -p
bash scripts/wine-run.sh --prepare
status=0
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300 || status=$?
test_seconds=$(elapsed "$test_started")

# The black-box start: the zip's own contents, unpacked into a folder whose path has a blank, with a
# settings file that names a Quake 2 folder (the stand-in game), so the main window is the first.
box_started=$(date +%s)
packages=${TREL_BUILD_DIR:-build}/packages
bash scripts/package-zip.sh "$build" "$packages"
zip=$(ls "$packages"/trel-*-win64.zip)
demo=$(mktemp -d "${TMPDIR:-/tmp}/trel-zip.XXXXXX")
mkdir -p "$demo/Trel demo" "$demo/Quake 2/vorn"
unzip -q "$zip" -d "$demo/Trel demo"
app=$(ls -d "$demo/Trel demo"/Trel-*)
cp "$build/tools/quake2.exe" "$demo/Quake 2/"
quake=$(printf 'Z:%s' "${demo//\//\\}\\Quake 2")
{ printf '[Quake2exe]\r\nUsed=1\r\nPath=%s\\quake2.exe\r\nDir=%s\r\n' "$quake" "$quake"
  sed -n '/^\[Settings\]/,$p' dist/trel.ini; } >"$app/trel.ini.new"
mv "$app/trel.ini.new" "$app/trel.ini"
# The Wine session of the tests ends first: its desktop process was started without a display and
# would outlive them, and every window of a later program in the session would then find no display
# driver ("no driver could be loaded"). The next program starts a session that has the display.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
# Xvfb names the display it found free on the pipe once it is ready for clients.
mkfifo "$demo/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$demo/display" >/dev/null 2>&1 &
xvfb=$!
read -r -t 30 display <"$demo/display" || { echo "test-windows.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display
# Wine's own errors and warnings (no trace channels) go to a log that is shown if no window comes.
(cd "$app" && WINEDEBUG=err+all,warn+all wine trel.exe >"$build/trel-windows.log" 2>&1) &
if timeout 120 xdotool search --sync --onlyvisible --name '^Trel - v0\.48b$' >/dev/null; then
    # Wine's GDI font engine draws no text in line edits (a plain Qt program shows the same; with
    # -platform windows:fontengine=freetype they have it), so the screenshot's text boxes look empty.
    # Mapped is not yet painted: the picture is taken again until the screen is no longer black (20 s at most).
    for _ in $(seq 80); do
        import -window root "$build/trel-windows.png"
        [ "$(convert "$build/trel-windows.png" -format '%[fx:mean>0.05]' info:)" = 1 ] && break
        sleep 0.25
    done
    echo "trel.exe from the zip showed its main window on the windows platform; screenshot $build/trel-windows.png"
    # Once the window is up, the network module of the zip is loaded (Wine maps it into the process).
    module_loaded() {
        for pid in $(pgrep -f 'trel\.exe'); do grep -qF "$app/trelnet.dll" "/proc/$pid/maps" && return 0; done
        return 1
    }
    for _ in $(seq 100); do module_loaded && break; sleep 0.1; done
    if module_loaded; then
        echo "trel.exe loaded the zip's network module"
    else
        echo "trel.exe did not load the zip's network module within 10 s" >&2
        status=1
    fi
else
    echo "trel.exe from the zip showed no main window within 120 s; the windows on the display:" >&2
    xdotool search --name '.' getwindowname %@ >&2 2>/dev/null || true
    import -window root "$build/trel-windows.png" 2>/dev/null || true
    echo "Wine's errors and Qt's messages (all of Wine's in $build/trel-windows.log):" >&2
    grep -E ':err:|OutputDebugString' "$build/trel-windows.log" | tail -n 40 >&2
    status=1
fi
box_seconds=$(elapsed "$box_started")

echo "Windows leg: install ${install_seconds} s, build (with Qt for Windows) ${build_seconds} s," \
     "tests under Wine ${test_seconds} s, zip and start ${box_seconds} s, total $(elapsed "$started") s"
exit "$status"
