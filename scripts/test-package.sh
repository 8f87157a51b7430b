#!/usr/bin/env bash
# Checks the .deb that scripts/package.sh made. Unpacked into a throwaway root (dpkg -x, nothing is
# installed), its trel-start starts Trel for a new user on a virtual display of its own: the fresh trel.ini
# opens the locator, and the user's folder holds that trel.ini, the manual and the to-do list byte for byte.
# Then lintian checks the package: an error fails, warnings are shown.
set -euo pipefail
cd "$(dirname "$0")/.."
started=${TREL_PACKAGING_STARTED:-$(date +%s)}
build=${TREL_BUILD_DIR:-build}
version=$(sed -n 's/^project(Trel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=$build/packages/trel_${version}_amd64.deb
[ -f "$deb" ] || { echo "no $deb: run scripts/package.sh --deb-only first" >&2; exit 1; }

work=$(mktemp -d)
xvfb="" trel=""
finish() {
    for pid in $trel $xvfb; do
        kill "$pid" 2>/dev/null || continue
        timeout 10 tail --pid="$pid" -f /dev/null || kill -KILL "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT

dpkg -x "$deb" "$work/root"
mkdir "$work/home"
# Xvfb writes the number of the display it took once it accepts clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
read -r -t 30 display <"$work/display" || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; } >&2
export DISPLAY=:$display

env -u XDG_DATA_HOME -u QT_QPA_PLATFORM HOME="$work/home" "$work/root/usr/games/trel-start" >"$work/trel.log" 2>&1 &
trel=$!
if ! timeout 60 xdotool search --sync --onlyvisible --name '^Select your Quake2 Executable$' >/dev/null; then
    echo "The locator did not open within 60 s. Trel's output:" >&2
    cat "$work/trel.log" >&2
    exit 1
fi
[ "$(readlink "/proc/$trel/exe")" = "$work/root/usr/games/trel" ] || { echo "not the unpacked trel runs" >&2; exit 1; }
# Once its first window is up, Trel loads its network module from the package's own library folder.
module_loaded() { grep -Eq " $work/root/usr/lib/([^/]+/)?trel/trelnet\.so\$" "/proc/$trel/maps"; }
for _ in $(seq 100); do module_loaded && break; sleep 0.1; done
module_loaded || { echo "Trel did not load the package's network module within 10 s" >&2; exit 1; }
seeded=$work/home/.local/share/trel
cmp dist/trel.ini "$seeded/trel.ini"
cmp docs/manual.html "$seeded/manual.html"
cmp docs/todolist.txt "$seeded/todolist.txt"
echo "The unpacked package started Trel's locator in $seeded, seeded with the fresh files; its network module loaded."

if ! lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1; then
    cat "$work/lintian.txt"
    echo "lintian finds errors in $deb" >&2
    exit 1
fi
cat "$work/lintian.txt"
echo "lintian: no error, $(grep -c '^W:' "$work/lintian.txt" || true) warnings."
echo "Packaging and this test took $(($(date +%s) - started)) s of the main leg."
