#!/usr/bin/env bash
# Installs what is missing, builds Trel, prepares a demo Quake 2 folder with the stand-in game and opens
# Trel there. The first start asks for the game: open the folder "Quake 2" and choose "quake2". A
# dedicated start of the stand-in answers the address book's status query on 127.0.0.1:27910.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TREL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${TREL_BUILD_TYPE:-RelWithDebInfo}
cmake --build "$build" --parallel --target trel standin_game
program=$(cd "$build" && pwd)/app/trel

demo=$PWD/demo
mkdir -p "$demo/Quake 2/vorn"
cp "$build/tools/quake2" "$demo/Quake 2/quake2"
# A fresh settings file on the first run; later runs keep what the user chose.
[ -f "$demo/trel.ini" ] || cp dist/trel.ini "$demo/trel.ini"
# The demo's address book holds the stand-in game's own server: tick Dedicated Server, press Run, and the
# row "Stand-in" shows its map and players. A book the user already has is left alone.
if ! grep -q '^\[AddressBook\]' "$demo/trel.ini"; then
    { cat "$demo/trel.ini"; printf '[AddressBook]\r\nServerName 1=Stand-in\r\nServerIp 1=127.0.0.1:27910\r\n'; } \
        >"$demo/trel.ini.new"
    mv "$demo/trel.ini.new" "$demo/trel.ini"
fi
players="$demo/Quake 2/vorn/standin_players.txt"
[ -f "$players" ] || printf '12 35 Gorm\r\n7 48 Ulf the Red\r\n-1 120 Sigrun\r\n' >"$players"
for f in docs/manual.html docs/todolist.txt; do [ -f "$f" ] && cp "$f" "$demo/"; done

cd "$demo"
echo "Trel starts in $demo; the stand-in game records its starts in \"$demo/Quake 2/vorn/standin_record.txt\"."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: Trel runs on a virtual one (xvfb-run)."
    exec xvfb-run -a "$program"
fi
exec "$program"
